# Fuzz targets: one source file defining LLVMFuzzerTestOneInput, with its seed
# inputs in corpus/<name>/ beside it. Registered with one call:
#
#   tq820_fuzz(<name> <source> LINK <libraries...>)
#
# In the fuzz build (preset "fuzz": clang, TQ820_FUZZ=ON) this makes the
# libFuzzer executable fuzz_<name> and a CTest that replays the seeds and
# explores for TQ820_FUZZ_SECONDS; new inputs go to <build>/fuzz-corpus/<name>,
# failing ones to <build>/fuzz-artifacts. In every other build it makes
# fuzz_<name>_replay, the same source with a plain driver, and a CTest that
# runs the seeds through it, so the targets keep compiling and their seeds keep
# passing under any compiler and sanitizer.

set(TQ820_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target explores in its CTest")
set(TQ820_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz)

function(tq820_fuzz name source)
  cmake_parse_arguments(FUZZ "" "" "LINK" ${ARGN})
  set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  if(NOT IS_DIRECTORY ${seeds})
    message(FATAL_ERROR "fuzz target ${name}: no seed folder ${seeds}")
  endif()
  if(TQ820_FUZZ)
    set(exe fuzz_${name})
    add_executable(${exe} ${source})
    target_link_options(${exe} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    set(artifacts ${CMAKE_BINARY_DIR}/fuzz-artifacts)
    file(MAKE_DIRECTORY ${work} ${artifacts})
    add_test(NAME ${exe} COMMAND ${exe}
      -max_total_time=${TQ820_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
      -print_final_stats=1 -artifact_prefix=${artifacts}/${name}-
      ${work} ${seeds})
    math(EXPR limit "${TQ820_FUZZ_SECONDS} + 120")
    set_tests_properties(${exe} PROPERTIES TIMEOUT ${limit} LABELS fuzz)
  else()
    set(exe fuzz_${name}_replay)
    add_executable(${exe} ${source} ${TQ820_FUZZ_DIR}/ReplayMain.cpp)
    add_test(NAME ${exe} COMMAND ${exe} ${seeds})
    set_tests_properties(${exe} PROPERTIES TIMEOUT 120 LABELS fuzz)
  endif()
  tq820_target(${exe})
  target_include_directories(${exe} PRIVATE ${TQ820_FUZZ_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${exe} PRIVATE ${FUZZ_LINK})
endfunction()
