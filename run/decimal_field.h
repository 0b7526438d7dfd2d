// The one reading of a decimal number typed into a field: the via-point
// maximum, in the window and on the command line.
#pragma once

#include <cstdint>
#include <string_view>

struct DecimalField {
  enum class Kind {
    kNumber,      // digits only, at most 4294967295
    kTooLarge,    // digits only, more than 32 bits hold
    kNotDecimal,  // empty, or anything but the digits 0 to 9
  };
  Kind kind;
  uint32_t value;  // 0 unless kind is kNumber
};

DecimalField ParseDecimalField(std::string_view text);
