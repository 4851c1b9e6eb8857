# The image browser window: thumbnail grid, preview and filters over the file processor.
add_library(vellicor_imagebrowser STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ImageBrowserButtonCell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageBrowserExtendedImageView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageBrowserMatrix.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageBrowserText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageBrowserThumbnail.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageBrowserWindowController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageBrowserWindowController.ui
  ${CMAKE_CURRENT_LIST_DIR}/ImageBrowserOptionsPanel.ui
)
target_include_directories(vellicor_imagebrowser PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vellicor_imagebrowser PUBLIC Qt6::Widgets vellicor_files support support_controls support_defaults platform vellicor_resources vellicor_eventlog)
