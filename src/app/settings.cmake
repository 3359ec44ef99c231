target_sources(tq820core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppSettings.h
)
