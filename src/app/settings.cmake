# The settings record, the registry-like store with its backends, and the
# load/save/uninstall logic: all Qt-free.
target_sources(tq820core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppSettings.h
  ${CMAKE_CURRENT_LIST_DIR}/RegistryStore.h
  ${CMAKE_CURRENT_LIST_DIR}/RegistryStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoryRegistryStore.h
  ${CMAKE_CURRENT_LIST_DIR}/MemoryRegistryStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RegFileStore.h
  ${CMAKE_CURRENT_LIST_DIR}/RegFileStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.h
  ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp
)
if(WIN32)
  target_sources(tq820core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Win32RegistryStore.h
    ${CMAKE_CURRENT_LIST_DIR}/Win32RegistryStore.cpp
  )
  target_link_libraries(tq820core PUBLIC advapi32)
endif()
