# Tests of the Windows window (win32/): its resources against the control
# table, its about box, pickers and preview pane, and morvex.exe driven under
# Wine on a virtual X display.
# Included by tests/CMakeLists.txt.

if(NOT WIN32 OR NOT TARGET morvex OR MORVEX_GUI)
  return()
endif()

# The resource script is linked into the test program, which reads it back.
add_executable(win32_resource_tests win32/dialog_template_test.cpp ${PROJECT_SOURCE_DIR}/win32/morvex.rc)
target_include_directories(win32_resource_tests PRIVATE ${PROJECT_SOURCE_DIR}/win32)
target_link_libraries(win32_resource_tests PRIVATE morvex_app GTest::gtest_main)
morvex_add_gtest(win32_resource_tests TIMEOUT 300 LABELS win32)

# A test program that opens windows, run under Wine on a virtual display in a
# Wine prefix of its own; skipped (77) where Xvfb is missing.
function(morvex_add_wine_display_test target prefix)
  if(CMAKE_HOST_UNIX AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME ${target} COMMAND bash
      ${CMAKE_CURRENT_SOURCE_DIR}/win32/run_with_display.sh ${prefix}
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}>)
    set_tests_properties(${target} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS win32)
  endif()
endfunction()

# The about box and the file pickers, opened in each language: windows need a
# display, so the program runs on a virtual one.
add_executable(win32_language_tests win32/language_test.cpp ${PROJECT_SOURCE_DIR}/win32/morvex.rc
  ${PROJECT_SOURCE_DIR}/win32/about_box.cpp ${PROJECT_SOURCE_DIR}/win32/file_picker.cpp)
target_include_directories(win32_language_tests PRIVATE ${PROJECT_SOURCE_DIR}/win32)
target_compile_definitions(win32_language_tests PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(win32_language_tests PRIVATE morvex_app comdlg32 GTest::gtest_main)
morvex_add_wine_display_test(win32_language_tests morvex-wine-language)

# Skips itself (77) where Wine, Xvfb or xdotool are missing.
if(CMAKE_HOST_UNIX AND CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME win32.smoke COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/win32/smoke_test.sh
    $<TARGET_FILE:morvex> $<TARGET_FILE:morvex-convert> ${PROJECT_SOURCE_DIR}/examples/example.gdb)
  # Alone, so that a loaded machine loses none of the typed keys.
  set_tests_properties(win32.smoke PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS win32 RUN_SERIAL ON)
  # The generator (bench/) is built with the tests; it writes this test's input.
  add_test(NAME win32.info_boxes COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/win32/info_boxes_test.sh
    $<TARGET_FILE:morvex> $<TARGET_FILE:morvex-gdbgen>)
  set_tests_properties(win32.info_boxes PROPERTIES
    TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS win32 RUN_SERIAL ON)
  add_test(NAME win32.settings COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/win32/settings_test.sh
    $<TARGET_FILE:morvex>)
  set_tests_properties(win32.settings PROPERTIES
    TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS win32 RUN_SERIAL ON)
endif()

# The preview pane of the window, drawn and printed into a bitmap: the window
# itself runs in the test program, which needs a display.
add_executable(win32_preview_tests win32/preview_test.cpp ${PROJECT_SOURCE_DIR}/win32/morvex.rc
  ${PROJECT_SOURCE_DIR}/win32/main_dialog.cpp ${PROJECT_SOURCE_DIR}/win32/about_box.cpp
  ${PROJECT_SOURCE_DIR}/win32/file_picker.cpp)
target_include_directories(win32_preview_tests PRIVATE ${PROJECT_SOURCE_DIR}/win32)
target_compile_definitions(win32_preview_tests PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
  MORVEX_EXAMPLE_GDB="${PROJECT_SOURCE_DIR}/examples/example.gdb")
target_link_libraries(win32_preview_tests PRIVATE morvex_app morvex_gdbgen comctl32 comdlg32 shell32
  GTest::gtest_main)
morvex_add_wine_display_test(win32_preview_tests morvex-wine-preview)
