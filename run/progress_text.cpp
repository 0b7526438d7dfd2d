#include "progress_text.h"

#include <cstdio>

#include "catalogue.h"

std::optional<unsigned> PercentRead(uint64_t bytesRead, uint64_t size) {
  if (size == 0) return std::nullopt;
  if (bytesRead >= size) return 100;
  return static_cast<unsigned>(static_cast<double>(bytesRead) * 100.0 / static_cast<double>(size));
}

namespace {

const char* InLanguage(TextKey key, Language language) {
  const char* text = Translate(key, language);
  return text != nullptr ? text : key.english;
}

}  // namespace

std::string ProgressText(Language language, std::optional<unsigned> percent) {
  if (!percent) return InLanguage(T_("progress", "Converting…"), language);
  const char* format = InLanguage(T_("progress", "Converting… %u %%"), language);
  char text[128];
  std::snprintf(text, sizeof text, format, *percent);
  return text;
}
