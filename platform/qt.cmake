# The Qt-backed part of the layer: windows, messages, dialogs, controls, GDI.
add_library(ploxa_platform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_class.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/static_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/button_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scroll_bar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gdi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bitmaps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_host.cpp)
target_include_directories(ploxa_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ploxa_platform PUBLIC ploxa_resources Qt6::Widgets Qt6::Gui Qt6::Core)

# The media player component: on Qt Multimedia when the build has it, otherwise
# one that can make no player (the program then plays no clip).
if(TARGET Qt6::Multimedia)
  target_sources(ploxa_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/media_player.cpp)
  target_link_libraries(ploxa_platform PUBLIC Qt6::Multimedia)
else()
  message(STATUS "Qt Multimedia not found: the player will play no clip")
  target_sources(ploxa_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/media_player_none.cpp)
endif()
