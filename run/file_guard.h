// The checks on the output path before a conversion run writes anything:
// whether it names the input, or a file without write permission.
#pragma once

#include <filesystem>
#include <string>

std::filesystem::path PathFromUtf8(const std::string& utf8);

// True when both paths name one existing file (links and other spellings included).
bool IsSameFile(const std::string& utf8PathA, const std::string& utf8PathB);

// True when the path names an existing file that has no write permission bits.
bool IsExistingReadOnlyFile(const std::string& utf8Path);
