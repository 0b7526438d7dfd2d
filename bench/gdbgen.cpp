// morvex-gdbgen: writes a valid GDB file of a chosen kind, version and size,
// the same bytes for the same arguments on every machine. The benchmarks and
// the fuzz seed corpus are made with it.
//
//   morvex-gdbgen [--kind routes|tracks|mix] [--version k|l|m] [--size BYTES]
//                 [--seed N] [--track-points N] [--link-points N]
//                 [--route-entries N] OUTPUT
//
// gdb_generator.cpp describes the kinds and the records.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gdb_generator.h"

namespace {

struct Options : GeneratorOptions {
  std::string output;
};

bool ParseSize(const char* text, uint64_t& size) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text) return false;
  uint64_t scale = 1;
  if (*end == 'K' || *end == 'k') scale = 1ull << 10;
  if (*end == 'M' || *end == 'm') scale = 1ull << 20;
  if (*end == 'G' || *end == 'g') scale = 1ull << 30;
  if (scale != 1) ++end;
  if (*end != '\0') return false;
  size = value * scale;
  return true;
}

int Usage() {
  std::fputs(
      "Usage: morvex-gdbgen [--kind routes|tracks|mix] [--version k|l|m] [--size BYTES]\n"
      "                     [--seed N] [--track-points N] [--link-points N]\n"
      "                     [--route-entries N] OUTPUT\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    uint64_t number = 0;
    if (arg == "--kind" && hasValue) {
      options.kind = argv[++i];
      if (options.kind != "routes" && options.kind != "tracks" && options.kind != "mix") {
        return Usage();
      }
    } else if (arg == "--version" && hasValue) {
      const std::string version = argv[++i];
      if (version != "k" && version != "l" && version != "m") return Usage();
      options.version = version[0];
    } else if (arg == "--size" && hasValue) {
      if (!ParseSize(argv[++i], options.size)) return Usage();
    } else if (arg == "--seed" && hasValue) {
      if (!ParseSize(argv[++i], options.seed)) return Usage();
    } else if (arg == "--track-points" && hasValue) {
      if (!ParseSize(argv[++i], number) || number == 0 || number > 1000000) return Usage();
      options.trackPoints = static_cast<uint32_t>(number);
    } else if (arg == "--link-points" && hasValue) {
      if (!ParseSize(argv[++i], number) || number < 2 || number > 100000) return Usage();
      options.linkPoints = static_cast<uint32_t>(number);
    } else if (arg == "--route-entries" && hasValue) {
      if (!ParseSize(argv[++i], number) || number < 2 || number > 100000) return Usage();
      options.routeEntries = static_cast<uint32_t>(number);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage();
    } else if (options.output.empty()) {
      options.output = arg;
    } else {
      return Usage();
    }
  }
  if (options.output.empty()) return Usage();
  std::FILE* out = std::fopen(options.output.c_str(), "wb");
  if (out == nullptr) {
    std::perror(options.output.c_str());
    return 1;
  }
  static char buffer[1 << 20];
  std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
  const bool ok = GenerateGdb(options, out);
  if (std::fclose(out) != 0 || !ok) {
    std::fprintf(stderr, "morvex-gdbgen: could not write %s\n", options.output.c_str());
    return 1;
  }
  return 0;
}
