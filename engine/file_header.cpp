#include "file_header.h"

#include <cstring>

#include "conversion_state.h"
#include "primitives.h"
#include "record_walk.h"

namespace {

constexpr char kSignature[] = "MsRcf";
constexpr const char* kCreators[] = {"MapSource", "BaseCamp"};

bool IsVersionLetter(int letter) {
  return letter == 'k' || letter == 'l' || letter == 'm';
}

// Compares a text just read with ReadText (length with its NUL) to expected.
bool TextIs(int32_t length, const char* expected) {
  return length == static_cast<int32_t>(std::strlen(expected) + 1) &&
         std::memcmp(g_nameBuffer, expected, static_cast<size_t>(length)) == 0;
}

bool IsKnownCreator(int32_t length) {
  for (const char* creator : kCreators) {
    if (TextIs(length, creator)) return true;
  }
  return false;
}

}  // namespace

int CopyFileHeader(OutputStream& output, InputStream& input) {
  g_waypointSerial = 1;
  g_pointCount = 0;
  g_recordNumber = 0;
  ForgetWaypoints();
  if (!TextIs(ReadText(g_nameBuffer, input), kSignature)) return 0;
  WriteText(g_nameBuffer, output);
  CopyBytes(5, &output, input);
  const int version = CopyByte(&output, input);
  g_gdbVersion = static_cast<uint8_t>(version);
  if (!IsVersionLetter(version)) return 0;
  CopyBytes(8, &output, input);
  for (int i = 0; i < 3; ++i) CopyBytes(0, &output, input);
  if (input.AtEnd()) return 0;
  const int32_t creatorLength = ReadText(g_nameBuffer, input);
  if (!IsKnownCreator(creatorLength)) return 0;
  WriteText(g_nameBuffer, output);
  return 1;
}
