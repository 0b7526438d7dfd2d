// File-system helpers for the tests of the conversion run, the command-line
// converter and the peer check: a scratch folder per test, whole-file reads
// and writes, folder listings, permission bits and a count of open
// descriptors.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace runtest {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything
// in it (read-only files included) when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

std::string ReadFile(const fs::path& path);
void WriteFile(const fs::path& path, const std::string& bytes);

// The names in a folder, sorted.
std::vector<std::string> FileNames(const fs::path& folder);

// The permission bits of a file (following links), e.g. 0644.
mode_t Mode(const fs::path& path);
void SetMode(const fs::path& path, mode_t mode);

// Descriptors open in this process (Linux: /proc/self/fd), or -1 when that
// cannot be told.
int OpenDescriptorCount();

bool IsRoot();

// The bundled example, examples/example.gdb.
fs::path ExampleGdb();

}  // namespace runtest
