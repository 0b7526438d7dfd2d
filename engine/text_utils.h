// Small text helpers for names and messages: cutting UTF-8 without splitting a
// character, and turning Windows-1252 names into UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The largest length <= maxBytes at which text (of length bytes) can be cut
// without splitting a UTF-8 character: the cut moves back over continuation
// bytes 80..BF that would follow it.
size_t Utf8CutLength(const char* text, size_t length, size_t maxBytes);

// Copies the NUL-terminated text into dest (destSize bytes, NUL included),
// cut with Utf8CutLength when it does not fit.
void CopyUtf8Cut(char* dest, size_t destSize, const char* text);

// Converts a Windows-1252 text of srcLength bytes to UTF-8 into dest, writing
// at most room bytes and never part of a character; returns the bytes written.
// No NUL is written. The five bytes without a Windows-1252 character become
// the C1 controls of the same value.
size_t Cp1252ToUtf8(char* dest, size_t room, const char* src, size_t srcLength);

// Length of the valid UTF-8 sequence at text[at], or 0 when none starts there.
size_t Utf8SequenceLength(std::string_view text, size_t at);

// A message as UTF-8: its valid UTF-8 sequences as they are, every other byte
// read as Windows-1252 (the name bytes of a GDB file that a message carries).
std::string MixedTextToUtf8(std::string_view text);
