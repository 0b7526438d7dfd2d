// Small text helpers for names and messages: cutting UTF-8 without splitting a
// character, putting a record's name into a message, and showing a message
// safely in a window or on a terminal.
//
// A name in a message keeps what a person can read; each of its unsafe
// characters (a C0 or C1 control, DEL, a byte that is no character) becomes a
// mark of two bytes that UTF-8 never holds: F8 with the byte's top two bits,
// then 80 with its low six. TextForWindow shows a mark as U+FFFD,
// TextForTerminal as \xNN.
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

// Puts a name of length bytes into dest as message text: Windows-1252 names
// (versions 'k' and 'l') decoded to UTF-8, UTF-8 names (version 'm') as they
// are, unsafe characters as marks. Writes at most room bytes and never part of
// a character or mark; returns the bytes written. No NUL is written.
size_t NameToMessageText(char* dest, size_t room, const char* name, size_t length, bool utf8);

// A path as message text: its bytes as UTF-8, each unsafe character (the
// line break too) and byte that is no character as a mark.
std::string PathToMessageText(std::string_view path);

// Length of the multi-byte UTF-8 sequence at text[at], or 0 when none starts there.
size_t Utf8SequenceLength(std::string_view text, size_t at);

// A message for a window: valid UTF-8 with every mark, control but the line
// break, and byte that is no character as U+FFFD.
std::string TextForWindow(std::string_view text);
// The letter in lower case where it is one of A to Z; any other byte as it is.
inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
// A message for a terminal or a log: the same, each such byte as \xNN.
std::string TextForTerminal(std::string_view text);
