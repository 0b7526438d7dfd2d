#include "text_utils.h"

#include <cstdint>
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

size_t Cp1252ToUtf8(char* dest, size_t room, const char* src, size_t srcLength) {
  size_t written = 0;
  for (size_t i = 0; i < srcLength; ++i) {
    char encoded[3];
    const size_t size = EncodeUtf8(Cp1252CodePoint(static_cast<unsigned char>(src[i])), encoded);
    if (size > room - written) break;
    std::memcpy(dest + written, encoded, size);
    written += size;
  }
  return written;
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

std::string MixedTextToUtf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      utf8 += static_cast<char>(byte);
      ++at;
    } else if (const size_t length = Utf8SequenceLength(text, at)) {
      utf8.append(text.substr(at, length));
      at += length;
    } else {
      char encoded[3];
      utf8.append(encoded, EncodeUtf8(Cp1252CodePoint(byte), encoded));
      ++at;
    }
  }
  return utf8;
}
