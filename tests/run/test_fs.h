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

// The permission bits of a file (following links), e.g. 0644. Windows keeps
// no permission bits, only a read-only attribute (of the path itself, a link
// not followed): there a mode without the owner's write bit (0200) sets the
// attribute, any other mode clears it, and Mode reads 0444 for a read-only
// file and 0666 for any other.
mode_t Mode(const fs::path& path);
void SetMode(const fs::path& path, mode_t mode);
// What Mode reads after SetMode(mode): mode itself, or on Windows 0444 or 0666.
mode_t ModeAsKept(mode_t mode);

// Descriptors open in this process (Linux: /proc/self/fd; Windows: the
// process's handles), or -1 when that cannot be told.
int OpenDescriptorCount();

// Root on POSIX systems, whom permission bits stop from nothing; never on Windows.
bool IsRoot();

// A symbolic link at link to target, a folder's when toFolder is set; throws
// when it cannot be made. (libstdc++ makes none on Windows: the system's call.)
void MakeSymbolicLink(const fs::path& target, const fs::path& link, bool toFolder = false);
bool IsSymbolicLink(const fs::path& path);
// False where this user may not create symbolic links in folder: on Windows
// without the privilege (an administrator's, or Developer Mode), and in Wine.
bool SymbolicLinksWork(const fs::path& folder);
inline constexpr char kNoSymbolicLinks[] = "this user may not create symbolic links";

// The names a file has. (libstdc++ on Windows always says 1.)
uintmax_t HardLinkCount(const fs::path& path);

// The bundled example, examples/example.gdb.
fs::path ExampleGdb();

}  // namespace runtest
