# The application object, the main window and its Qt-free layout arithmetic.
target_sources(tq820core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WindowLayout.h ${CMAKE_CURRENT_LIST_DIR}/WindowLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowSizeTracker.h ${CMAKE_CURRENT_LIST_DIR}/WindowSizeTracker.cpp
)
target_sources(tq820shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Artwork.h ${CMAKE_CURRENT_LIST_DIR}/Artwork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.h ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CMeteoDlg.h ${CMAKE_CURRENT_LIST_DIR}/CMeteoDlg.cpp
)
target_sources(tq820shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CMeteoApp.h ${CMAKE_CURRENT_LIST_DIR}/CMeteoApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TerminationSignals.h ${CMAKE_CURRENT_LIST_DIR}/TerminationSignals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModalDismisser.h ${CMAKE_CURRENT_LIST_DIR}/ModalDismisser.cpp
)
