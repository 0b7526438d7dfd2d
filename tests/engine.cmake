# Engine tests: the stream primitives, header, record dispatch and the three
# rewriting families, on built inputs and on the real sample files.
add_executable(engine_tests
  engine/engine_harness.cpp
  engine/engine_primitives_test.cpp
  engine/engine_dispatch_test.cpp
  engine/engine_point_walk_test.cpp
  engine/engine_reclassify_test.cpp
  engine/engine_route_to_track_test.cpp
  engine/engine_track_to_route_test.cpp
  engine/engine_one_route_test.cpp
  engine/engine_samples_test.cpp
  engine/engine_counts_test.cpp
  engine/engine_summary_test.cpp
  engine/catalogue_test.cpp
)
target_include_directories(engine_tests PRIVATE engine)
target_link_libraries(engine_tests PRIVATE morvex_engine morvex_test_support GTest::gtest_main)
# The real GDB files are read where they lie; the tests skip when they are absent.
target_compile_definitions(engine_tests PRIVATE
  MORVEX_SAMPLES_DIR="${MORVEX_SAMPLES_DIR}")
morvex_add_gtest(engine_tests TIMEOUT 300 LABELS engine)

# The catalogues against the code: the template holds every marked text, and
# each language translates all of it (gettext's msgcmp and msgfmt --check).
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME catalogue.complete COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/update-po --check)
  set_tests_properties(catalogue.complete PROPERTIES LABELS engine TIMEOUT 120)
  # No text of the code outside the catalogue but those po/untranslated.txt
  # allows (xgettext --extract-all).
  add_test(NAME catalogue.no-stray-texts COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/check-texts)
  set_tests_properties(catalogue.no-stray-texts PROPERTIES LABELS engine TIMEOUT 120)
endif()
