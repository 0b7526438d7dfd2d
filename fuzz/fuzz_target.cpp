// libFuzzer entry: every input is one case of RunConvertCase.
#include <cstddef>
#include <cstdint>

#include "convert_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RunConvertCase(data, size);
  return 0;
}
