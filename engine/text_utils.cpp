#include "text_utils.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool IsContinuationByte(unsigned char byte) {
  return byte >= 0x80 && byte <= 0xBF;
}

// Unicode code points of the Windows-1252 bytes 80..9F; the five unassigned
// bytes map to the C1 control of the same value.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

size_t EncodeUtf8(uint32_t codePoint, char* out) {
  if (codePoint < 0x80) {
    out[0] = static_cast<char>(codePoint);
    return 1;
  }
  if (codePoint < 0x800) {
    out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
    out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
  out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
  return 3;
}

uint32_t Cp1252CodePoint(unsigned char byte) {
  return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : byte;
}

bool IsUnsafeCodePoint(uint32_t codePoint) {
  return codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0x80 && codePoint < 0xA0);
}

// The two bytes of a mark for byte.
size_t Mark(unsigned char byte, char* out) {
  out[0] = static_cast<char>(0xF8 | (byte >> 6));
  out[1] = static_cast<char>(0x80 | (byte & 0x3F));
  return 2;
}

bool IsMarkAt(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  return lead >= 0xF8 && lead <= 0xFB && at + 1 < text.size() &&
         IsContinuationByte(static_cast<unsigned char>(text[at + 1]));
}

// A C1 control in UTF-8: C2 80 to C2 9F.
bool IsC1(std::string_view text, size_t at) {
  return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
         static_cast<unsigned char>(text[at + 1]) < 0xA0;
}

}  // namespace

size_t Utf8SequenceLength(std::string_view text, size_t at);

namespace {

// Copies text, handing every unsafe byte (and the byte a mark stands for) to
// show(out, byte): the message's own line breaks are kept.
template <class Show>
std::string SafeText(std::string_view text, Show show) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (IsMarkAt(text, at)) {
      const auto second = static_cast<unsigned char>(text[at + 1]);
      show(out, static_cast<unsigned char>(((byte & 0x03) << 6) | (second & 0x3F)));
      at += 2;
    } else if (byte < 0x80) {
      if (byte != '\n' && IsUnsafeCodePoint(byte)) {
        show(out, byte);
      } else {
        out += static_cast<char>(byte);
      }
      ++at;
    } else if (const size_t sequence = Utf8SequenceLength(text, at);
               sequence > 0 && !IsC1(text, at)) {
      out.append(text.substr(at, sequence));
      at += sequence;
    } else {
      show(out, byte);
      ++at;
    }
  }
  return out;
}

}  // namespace

size_t Utf8CutLength(const char* text, size_t length, size_t maxBytes) {
  if (length <= maxBytes) return length;
  size_t cut = maxBytes;
  while (cut > 0 && IsContinuationByte(static_cast<unsigned char>(text[cut]))) --cut;
  return cut;
}

void CopyUtf8Cut(char* dest, size_t destSize, const char* text) {
  if (destSize == 0) return;
  const size_t length = Utf8CutLength(text, std::strlen(text), destSize - 1);
  std::memmove(dest, text, length);
  dest[length] = '\0';
}

size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

size_t NameToMessageText(char* dest, size_t room, const char* name, size_t length, bool utf8) {
  const std::string_view text(name, length);
  size_t written = 0;
  size_t at = 0;
  while (at < length) {
    char piece[4];
    size_t pieceSize = 0;
    size_t taken = 1;
    const auto byte = static_cast<unsigned char>(text[at]);
    if (!utf8) {
      const uint32_t codePoint = Cp1252CodePoint(byte);
      pieceSize = IsUnsafeCodePoint(codePoint) ? Mark(byte, piece) : EncodeUtf8(codePoint, piece);
    } else if (byte < 0x80) {
      pieceSize = IsUnsafeCodePoint(byte) ? Mark(byte, piece) : (piece[0] = text[at], 1);
    } else if (const size_t sequence = Utf8SequenceLength(text, at);
               sequence > 0 && !IsC1(text, at)) {
      std::memcpy(piece, name + at, sequence);
      pieceSize = taken = sequence;
    } else {
      pieceSize = Mark(byte, piece);  // a C1 control's bytes, or a byte that is no character
    }
    if (pieceSize > room - written) break;
    std::memcpy(dest + written, piece, pieceSize);
    written += pieceSize;
    at += taken;
  }
  return written;
}

std::string PathToMessageText(std::string_view path) {
  std::string text(2 * path.size(), '\0');  // a mark takes two bytes
  text.resize(NameToMessageText(text.data(), text.size(), path.data(), path.size(), true));
  return text;
}

std::string TextForWindow(std::string_view text) {
  return SafeText(text, [](std::string& out, unsigned char) { out += "\xEF\xBF\xBD"; });
}

std::string TextForTerminal(std::string_view text) {
  return SafeText(text, [](std::string& out, unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    out += escaped;
  });
}
