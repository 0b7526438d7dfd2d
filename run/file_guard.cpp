#include "file_guard.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {
constexpr fs::perms kWriteBits =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
}

fs::path PathFromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
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
