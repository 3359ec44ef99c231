# Common compile settings for every target of the project.
function(tq820_target target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(TQ820_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  elseif(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8)
    if(TQ820_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  endif()
endfunction()

# A GoogleTest executable registered with CTest (one test per executable keeps
# the run short; gtest reports the individual cases).
function(tq820_gtest name)
  add_executable(${name} ${ARGN})
  tq820_target(${name})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
endfunction()

# A QtTest executable run on the offscreen platform.
function(tq820_qtest name)
  add_executable(${name} ${ARGN})
  tq820_target(${name})
  target_link_libraries(${name} PRIVATE Qt6::Test)
  # Helpers every widget test may use (AccessibilityCheck.h).
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/ui/support)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 180
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TQ820_SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/screenshots")
endfunction()
