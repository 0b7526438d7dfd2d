# Tests of the conversion run, the command-line converter and the check
# against GPSBabel. Included by tests/CMakeLists.txt. The run and command-line
# tests are built for POSIX systems and Windows; the peer check and the tests
# of stops and failing file calls need gpsbabel, a preloaded shim and
# signals, and are built for POSIX systems alone.

if(NOT UNIX AND NOT WIN32)
  return()
endif()

# Scratch folders, file modes, child processes and GPX files for the programs below.
add_library(morvex_run_test_helpers STATIC run/test_fs.cpp run/gpx.cpp)
if(WIN32)
  target_sources(morvex_run_test_helpers PRIVATE run/process_win32.cpp)
  target_link_libraries(morvex_run_test_helpers PRIVATE morvex_files)
else()
  target_sources(morvex_run_test_helpers PRIVATE run/process_posix.cpp)
endif()
target_include_directories(morvex_run_test_helpers PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/run)
target_compile_definitions(morvex_run_test_helpers PRIVATE MORVEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

add_executable(run_tests
  app/window_logic_test.cpp
  app/presenter_test.cpp
  app/settings_file_test.cpp
  run/run_messages_test.cpp
  run/run_steps_test.cpp
  run/run_guard_test.cpp
  run/run_cut_test.cpp
  run/run_atomic_test.cpp
  run/run_info_test.cpp
  files/file_streams_test.cpp
  preview/preview_model_test.cpp
)
target_link_libraries(run_tests PRIVATE
  morvex_app morvex_run_test_helpers morvex_test_support GTest::gtest_main)
if(WIN32)
  # What the Windows file calls give the files: access lists, attributes, the held folder.
  target_sources(run_tests PRIVATE run/run_win32_test.cpp)
  target_link_libraries(run_tests PRIVATE advapi32)
endif()
morvex_add_gtest(run_tests TIMEOUT 300 LABELS run)

add_executable(cli_tests run/cli_test.cpp run/names_test.cpp)
target_link_libraries(cli_tests PRIVATE
  morvex_app morvex_run_test_helpers morvex_test_support GTest::gtest_main)
target_compile_definitions(cli_tests PRIVATE MORVEX_CONVERT="$<TARGET_FILE:morvex-convert>")
add_dependencies(cli_tests morvex-convert)
morvex_add_gtest(cli_tests TIMEOUT 300 LABELS cli)

if(NOT UNIX)
  return()
endif()

# The peer check: GDB files made by gpsbabel, converted with morvex-convert and
# read back by gpsbabel. Skips itself where gpsbabel is not installed.
add_executable(peer_tests run/peer_test.cpp run/samples_test.cpp run/peer_support.cpp
  preview/preview_peer_test.cpp)
target_link_libraries(peer_tests PRIVATE
  morvex_preview morvex_run_test_helpers morvex_test_support GTest::gtest_main)
target_compile_definitions(peer_tests PRIVATE
  MORVEX_CONVERT="$<TARGET_FILE:morvex-convert>"
  MORVEX_SAMPLES_DIR="${MORVEX_SAMPLES_DIR}")
add_dependencies(peer_tests morvex-convert)
morvex_add_gtest(peer_tests TIMEOUT 300 LABELS peer)

# morvex-convert stopped by signals, run twice at once into one output, and
# with its file calls failing through a preloaded shim of our own.
add_library(morvex_fault_shim MODULE run/fault_shim.cpp)
target_link_libraries(morvex_fault_shim PRIVATE ${CMAKE_DL_LIBS})
# One call of each kind the shim wraps, for the shim's own test.
add_executable(morvex_fault_shim_calls run/fault_shim_calls.cpp)
add_executable(stop_and_fault_tests run/stop_and_fault_test.cpp run/fault_shim_test.cpp)
# The thread sanitizer makes each run of a few MB slow: a smaller input keeps
# the thousand faulty runs within a minute or two there.
if(MORVEX_TSAN)
  set(fault_input_size 1000000)
else()
  set(fault_input_size 3000000)
endif()
target_link_libraries(stop_and_fault_tests PRIVATE morvex_run_test_helpers GTest::gtest_main)
target_compile_definitions(stop_and_fault_tests PRIVATE
  MORVEX_CONVERT="$<TARGET_FILE:morvex-convert>"
  MORVEX_GDBGEN="$<TARGET_FILE:morvex-gdbgen>"
  MORVEX_FAULT_SHIM="$<TARGET_FILE:morvex_fault_shim>"
  MORVEX_FAULT_SHIM_CALLS="$<TARGET_FILE:morvex_fault_shim_calls>"
  MORVEX_FAULT_INPUT_SIZE="${fault_input_size}")
add_dependencies(stop_and_fault_tests morvex-convert morvex-gdbgen morvex_fault_shim
  morvex_fault_shim_calls)
morvex_add_gtest(stop_and_fault_tests TIMEOUT 900 LABELS fault)

# Swaps a run's output for a link to its input while it runs, for
# scripts/probe-output-race (not a test of its own).
add_executable(morvex_output_swapper run/output_swapper.cpp)
