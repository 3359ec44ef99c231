# The settings store over the memory and file backends.
tq820_gtest(settings_store_test
  ${CMAKE_CURRENT_LIST_DIR}/SettingsStoreTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RegFileStoreTest.cpp)
target_link_libraries(settings_store_test PRIVATE tq820core)
