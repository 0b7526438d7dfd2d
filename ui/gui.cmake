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
  # The desktop entry and the GDB file type: the English templates with the
  # texts of every language in po/LINGUAS put in from its catalogue.
  set(po_dir ${PROJECT_SOURCE_DIR}/po)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${po_dir}/LINGUAS)
  file(STRINGS ${po_dir}/LINGUAS linguas REGEX "^[^#]")
  set(po_files ${po_dir}/LINGUAS)
  foreach(language IN LISTS linguas)
    string(STRIP "${language}" language)
    list(APPEND po_files ${po_dir}/${language}.po)
  endforeach()
  set(desktop_entry ${CMAKE_CURRENT_BINARY_DIR}/morvex.desktop)
  set(mime_package ${CMAKE_CURRENT_BINARY_DIR}/morvex-gdb.xml)
  add_custom_command(
    OUTPUT ${desktop_entry}
    COMMAND ${MORVEX_MSGFMT} --desktop --template=${CMAKE_CURRENT_LIST_DIR}/resources/morvex.desktop.in
            -d ${po_dir} -o ${desktop_entry}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/resources/morvex.desktop.in ${po_files}
    COMMENT "Translating the desktop entry"
    VERBATIM)
  add_custom_command(
    OUTPUT ${mime_package}
    COMMAND ${MORVEX_MSGFMT} --xml --template=${CMAKE_CURRENT_LIST_DIR}/resources/morvex-gdb.xml.in
            -d ${po_dir} -o ${mime_package}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/resources/morvex-gdb.xml.in ${po_files}
    COMMENT "Translating the GDB file type"
    VERBATIM)
  add_custom_target(morvex_desktop_files ALL DEPENDS ${desktop_entry} ${mime_package})
  install(FILES ${desktop_entry} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The type of GDB files, so that "Open with" offers Morvex for them.
  install(FILES ${mime_package} DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  foreach(size 16 32 64)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/program-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME morvex.png)
  endforeach()
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/program.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME morvex.svg)
endif()
