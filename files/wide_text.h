// Windows only: UTF-8, the text of the model and the run, to and from UTF-16,
// the text of the system's calls.
#pragma once

#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
