#include "file_guard.h"

#include <system_error>

#ifdef _WIN32
#include <cwchar>
#endif

namespace fs = std::filesystem;

namespace {
constexpr fs::perms kWriteBits =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
}

fs::path PathFromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
  std::error_code error;
  if (fs::is_directory(PathFromUtf8(utf8Path), error)) return nullptr;
#ifdef _WIN32
  wchar_t wideMode[8] = {};
  for (size_t i = 0; mode[i] != '\0' && i + 1 < 8; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  return _wfopen(PathFromUtf8(utf8Path).c_str(), wideMode);
#else
  return std::fopen(utf8Path.c_str(), mode);
#endif
}

ReadOnlyGuard::ReadOnlyGuard(const std::string& utf8Path) : path_(PathFromUtf8(utf8Path)) {
  std::error_code error;
  const fs::file_status status = fs::status(path_, error);
  if (error) return;
  original_ = status.permissions();
  if ((original_ & kWriteBits) == fs::perms::none) return;
  fs::permissions(path_, original_ & ~kWriteBits, fs::perm_options::replace, error);
  changed_ = !error;
}

void ReadOnlyGuard::Restore() {
  if (!changed_) return;
  std::error_code error;
  fs::permissions(path_, original_, fs::perm_options::replace, error);
  changed_ = false;
}

bool IsSameFile(const std::string& utf8PathA, const std::string& utf8PathB) {
  std::error_code error;
  return fs::equivalent(PathFromUtf8(utf8PathA), PathFromUtf8(utf8PathB), error) && !error;
}

bool IsExistingReadOnlyFile(const std::string& utf8Path) {
  std::error_code error;
  const fs::file_status status = fs::status(PathFromUtf8(utf8Path), error);
  if (error || !fs::exists(status)) return false;
  return (status.permissions() & kWriteBits) == fs::perms::none;
}

bool IsRegularFile(const std::string& utf8Path) {
  std::error_code error;
  return fs::is_regular_file(PathFromUtf8(utf8Path), error);
}
