# Writes OUTPUT, a C++ file that holds the compiled catalogues (msgfmt's MO
# files) LANGUAGES (nl;de) from the folder MO_DIR as byte arrays, and the
# table kCompiledCatalogues of catalogue.h. Run with cmake -P, so that it runs
# the same in a cross build, where no program of the build can run.
set(languages ${LANGUAGES})
set(text "// Made by cmake/embed_catalogues.cmake from po/*.po: do not edit.\n")
string(APPEND text "#include \"catalogue.h\"\n\n#include <iterator>\n\nnamespace {\n\n")
set(table "")
foreach(language IN LISTS languages)
  file(READ "${MO_DIR}/${language}.mo" bytes HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  string(APPEND text "alignas(4) const unsigned char k_${language}[] = {\n${bytes}\n};\n\n")
  if(language STREQUAL "nl")
    set(name "kDutch")
  elseif(language STREQUAL "de")
    set(name "kGerman")
  else()
    message(FATAL_ERROR "no language for catalogue ${language}")
  endif()
  string(APPEND table "    {Language::${name}, k_${language}, sizeof k_${language}},\n")
endforeach()
string(APPEND text "}  // namespace\n\nconst CompiledCatalogue kCompiledCatalogues[] = {\n${table}};\n")
string(APPEND text "const size_t kCompiledCatalogueCount = std::size(kCompiledCatalogues);\n")
file(WRITE "${OUTPUT}" "${text}")
