#include "decimal_field.h"

DecimalField ParseDecimalField(std::string_view text) {
  if (text.empty()) return {DecimalField::Kind::kNotDecimal, 0};
  uint64_t value = 0;
  bool tooLarge = false;
  for (const char c : text) {
    if (c < '0' || c > '9') return {DecimalField::Kind::kNotDecimal, 0};
    // A number too large for 32 bits is no number, not one that wrapped round.
    if (!tooLarge) value = value * 10 + static_cast<uint64_t>(c - '0');
    tooLarge = tooLarge || value > UINT32_MAX;
  }
  if (tooLarge) return {DecimalField::Kind::kTooLarge, 0};
  return {DecimalField::Kind::kNumber, static_cast<uint32_t>(value)};
}
