target_sources(tq820shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PolishMessageBox.h ${CMAKE_CURRENT_LIST_DIR}/PolishMessageBox.cpp
)
