// morvex-fuzz-replay: runs RunConvertCase over every file named on the
// command line, or every file in a named folder, so that the seed corpus and
// every past finding run under ctest in any build. A failed case aborts.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "convert_check.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path path = argv[i];
    if (fs::is_directory(path)) {
      for (const auto& entry : fs::directory_iterator(path)) {
        // Dot files (.gitkeep) are not cases.
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
          files.push_back(entry.path());
        }
      }
    } else if (fs::is_regular_file(path)) {
      files.push_back(path);
    } else {
      std::fprintf(stderr, "morvex-fuzz-replay: no such file or folder: %s\n", argv[i]);
      return 2;
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "morvex-fuzz-replay: no cases\n");
    return 2;
  }
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s\n", file.filename().string().c_str());
    std::fflush(stdout);
    // An exactly sized copy, so that a sanitizer sees any read beyond it.
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    RunConvertCase(exact.data(), exact.size());
  }
  std::printf("%zu cases passed\n", files.size());
  return 0;
}
