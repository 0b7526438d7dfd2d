#include "test_fs.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace runtest {

#ifdef _WIN32
// Windows has no mkdtemp: a random name, taken when no folder has it yet.
TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() / ("morvex-test-" + std::to_string(random() % 1000000000));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

namespace {

// libstdc++ on Windows sees no symbolic links, and would follow a linked
// folder: links are removed as links here. Windows deletes no read-only file:
// the attribute goes first.
void RemoveTree(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(path, error)) RemoveTree(entry.path());
  }
  SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (folder) {
    RemoveDirectoryW(path.c_str());
  } else {
    DeleteFileW(path.c_str());
  }
}

}  // namespace

TempDir::~TempDir() {
  RemoveTree(path_);
}
#else
TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "morvex-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  // Read-only folders inside would stop the removal for a normal user.
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::remove_all(path_, error);
}
#endif

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> FileNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

#ifdef _WIN32
mode_t Mode(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    throw std::runtime_error("cannot stat " + path.string());
  return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
}

void SetMode(const fs::path& path, mode_t mode) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const DWORD readOnly = (mode & 0200) == 0 ? FILE_ATTRIBUTE_READONLY : 0;
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      !SetFileAttributesW(path.c_str(), (attributes & ~FILE_ATTRIBUTE_READONLY) | readOnly)) {
    throw std::runtime_error("cannot set the attributes of " + path.string());
  }
}

mode_t ModeAsKept(mode_t mode) {
  return (mode & 0200) == 0 ? 0444 : 0666;
}

int OpenDescriptorCount() {
  DWORD count = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &count) ? static_cast<int>(count) : -1;
}

bool IsRoot() {
  return false;
}
#else
mode_t Mode(const fs::path& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) throw std::runtime_error("cannot stat " + path.string());
  return status.st_mode & 07777;
}

void SetMode(const fs::path& path, mode_t mode) {
  if (chmod(path.c_str(), mode) != 0) throw std::runtime_error("cannot chmod " + path.string());
}

mode_t ModeAsKept(mode_t mode) {
  return mode;
}

int OpenDescriptorCount() {
  std::error_code error;
  int count = 0;
  for (auto it = fs::directory_iterator("/proc/self/fd", error);
       !error && it != fs::directory_iterator(); it.increment(error)) {
    ++count;
  }
  // The iterator's own descriptor was counted too; it is the same every time.
  return error ? -1 : count;
}

bool IsRoot() {
  return geteuid() == 0;
}

#endif

#ifdef _WIN32
void MakeSymbolicLink(const fs::path& target, const fs::path& link, bool toFolder) {
  const DWORD flags =
      SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (toFolder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
  fs::path systemTarget = target;
  // Wine says yes and makes nothing: the link is looked for.
  if (!CreateSymbolicLinkW(link.c_str(), systemTarget.make_preferred().c_str(), flags) ||
      !IsSymbolicLink(link)) {
    throw std::runtime_error("cannot create the symbolic link " + link.string());
  }
}

bool IsSymbolicLink(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

uintmax_t HardLinkCount(const fs::path& path) {
  const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!known) throw std::runtime_error("cannot read the links of " + path.string());
  return info.nNumberOfLinks;
}
#else
void MakeSymbolicLink(const fs::path& target, const fs::path& link, bool toFolder) {
  if (toFolder) {
    fs::create_directory_symlink(target, link);
  } else {
    fs::create_symlink(target, link);
  }
}

bool IsSymbolicLink(const fs::path& path) {
  return fs::is_symlink(path);
}

uintmax_t HardLinkCount(const fs::path& path) {
  return fs::hard_link_count(path);
}
#endif

bool SymbolicLinksWork(const fs::path& folder) {
  const fs::path probe = folder / "morvex-link-probe";
  try {
    MakeSymbolicLink("nowhere", probe);
  } catch (const std::exception&) {
    return false;
  }
  fs::remove(probe);
  return true;
}

fs::path ExampleGdb() {
  return fs::path(MORVEX_SOURCE_DIR) / "examples" / "example.gdb";
}

}  // namespace runtest
