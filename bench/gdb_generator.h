// A valid GDB file of a chosen kind, version and size, the same bytes for the
// same options on every machine: the benchmarks' and the fuzz corpus's input.
// See gdb_generator.cpp for the records it writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct GeneratorOptions {
  std::string kind = "mix";  // routes, tracks or mix
  char version = 'l';
  uint64_t size = 1 << 20;
  uint64_t seed = 1;
  uint32_t trackPoints = 3000;
  uint32_t linkPoints = 150;
  uint32_t routeEntries = 50;
};

// Writes the file to out; false when a write failed.
bool GenerateGdb(const GeneratorOptions& options, std::FILE* out);
