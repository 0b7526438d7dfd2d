// File handling around a conversion run: opening by UTF-8 path, keeping the
// input from being opened for writing while the output is opened, and telling
// when an output path would overwrite the input or a read-only file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

std::filesystem::path PathFromUtf8(const std::string& utf8);

// fopen for a UTF-8 path. Refuses directories.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

// Makes the input read-only for as long as the guard is armed: removes its
// write permission bits if it had any, and puts back exactly the permissions
// it had on Restore() or destruction.
class ReadOnlyGuard {
 public:
  explicit ReadOnlyGuard(const std::string& utf8Path);
  ~ReadOnlyGuard() { Restore(); }
  ReadOnlyGuard(const ReadOnlyGuard&) = delete;
  ReadOnlyGuard& operator=(const ReadOnlyGuard&) = delete;

  void Restore();
  bool Changed() const { return changed_; }

 private:
  std::filesystem::path path_;
  std::filesystem::perms original_ = std::filesystem::perms::none;
  bool changed_ = false;
};

// True when both paths name one existing file (links and other spellings included).
bool IsSameFile(const std::string& utf8PathA, const std::string& utf8PathB);

// True when the path names an existing file that has no write permission bits.
bool IsExistingReadOnlyFile(const std::string& utf8Path);

// True when the path names a regular file (not a pipe or a device), which can
// be read ahead of the engine: reading past its end record never waits.
bool IsRegularFile(const std::string& utf8Path);
