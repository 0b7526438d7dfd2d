# The Qt converter window: the dialog classes in a static library, which the
# GUI tests link too, and the morvex executable with its resources.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(morvex_gui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/about_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_dlg.h
  ${CMAKE_CURRENT_LIST_DIR}/dialog_prompts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog_prompts.h
  ${CMAKE_CURRENT_LIST_DIR}/morvex_app.cpp
  ${CMAKE_CURRENT_LIST_DIR}/morvex_app.h
  ${CMAKE_CURRENT_LIST_DIR}/morvex_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/morvex_dlg.h
  ${CMAKE_CURRENT_LIST_DIR}/morvex_resources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/morvex_resources.h
  ${CMAKE_CURRENT_LIST_DIR}/preview_pane.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview_pane.h
  ${CMAKE_CURRENT_LIST_DIR}/qt_settings_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_settings_store.h
  ${CMAKE_CURRENT_LIST_DIR}/qt_translations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_translations.h
  ${CMAKE_CURRENT_LIST_DIR}/resources/morvex.qrc
)
set_target_properties(morvex_gui PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(morvex_gui PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(morvex_gui PUBLIC morvex_app Qt6::Widgets)

add_executable(morvex ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(morvex PRIVATE morvex_gui)
if(WIN32)
  # Icons, version record and manifest; the windows themselves come from Qt.
  target_sources(morvex PRIVATE ${CMAKE_CURRENT_LIST_DIR}/morvex.rc)
  set_target_properties(morvex PROPERTIES WIN32_EXECUTABLE ON)
  if(MSVC)
    target_link_options(morvex PRIVATE /MANIFEST:NO)  # morvex.rc carries its own
  endif()
endif()

install(TARGETS morvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(UNIX AND NOT APPLE)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/morvex.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The type of GDB files, so that "Open with" offers Morvex for them.
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/morvex-gdb.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  foreach(size 16 32 64)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/program-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME morvex.png)
  endforeach()
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/program.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME morvex.svg)
endif()
