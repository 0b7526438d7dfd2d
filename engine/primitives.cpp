#include "primitives.h"

#include <cstring>

#include "conversion_state.h"

int32_t ReadText(char* buffer, InputStream& input) {
  int32_t count = 0;
  for (;;) {
    const int value = input.ReadByte();
    if (value == 0) {
      if (buffer != nullptr) buffer[count] = '\0';
      return count + 1;
    }
    if (value == kEndOfInput) return -1;
    if (buffer != nullptr) buffer[count] = static_cast<char>(value);
    if (++count > static_cast<int32_t>(kMaxTextLength)) return -1;
  }
}

void WriteText(const char* text, OutputStream& output) {
  output.WriteBlock(reinterpret_cast<const uint8_t*>(text), std::strlen(text) + 1);
}

uint32_t CopyBytes(uint32_t count, OutputStream* output, InputStream& input) {
  if (count > 0) return static_cast<uint32_t>(input.CopyRun(count, output));
  uint32_t read = 0;
  for (;;) {
    const int value = CopyByte(output, input);
    if (value == kEndOfInput) return read;
    ++read;
    if (value == 0) return read;
  }
}

uint32_t CopyFlagged(uint32_t count, OutputStream* output, InputStream& input) {
  const int flag = CopyByte(output, input);
  if (flag == kEndOfInput) return 0;
  if (flag == 0) return 1;
  return 1 + CopyBytes(count, output, input);
}
