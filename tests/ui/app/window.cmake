tq820_qtest(tst_CMeteoDlg ${CMAKE_CURRENT_LIST_DIR}/tst_CMeteoDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowTestSupport.h)
target_link_libraries(tst_CMeteoDlg PRIVATE tq820shell)
target_include_directories(tst_CMeteoDlg PRIVATE ${CMAKE_CURRENT_LIST_DIR})
