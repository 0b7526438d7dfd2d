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
bool TextIs(const char* text, int32_t length, const char* expected) {
  return length == static_cast<int32_t>(std::strlen(expected) + 1) &&
         std::memcmp(text, expected, static_cast<size_t>(length)) == 0;
}

bool IsKnownCreator(const char* text, int32_t length) {
  for (const char* creator : kCreators) {
    if (TextIs(text, length, creator)) return true;
  }
  return false;
}

}  // namespace

int CopyFileHeader(ConversionState& state, OutputStream& output, InputStream& input) {
  state.waypointSerial = 1;
  state.pointCount = 0;
  state.recordNumber = 0;
  ForgetWaypoints(state);
  char* text = state.nameBuffer;
  if (!TextIs(text, ReadText(text, input), kSignature)) return 0;
  WriteText(text, output);
  CopyBytes(5, &output, input);
  const int version = CopyByte(&output, input);
  state.gdbVersion = static_cast<uint8_t>(version);
  if (!IsVersionLetter(version)) return 0;
  CopyBytes(8, &output, input);
  for (int i = 0; i < 3; ++i) CopyBytes(0, &output, input);
  if (input.AtEnd()) return 0;
  const int32_t creatorLength = ReadText(text, input);
  if (!IsKnownCreator(text, creatorLength)) return 0;
  WriteText(text, output);
  return 1;
}
