#include "catalogue.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint32_t kMoMagic = 0x950412de;
constexpr char kContextEnd = '\x04';  // between a context and its text in a message id

// The MO header: magic, revision, count of strings, offsets of the tables of
// original and translated strings; each table entry is a length and an offset.
struct MoLayout {
  bool swapped = false;
  uint32_t count = 0;
  uint32_t originals = 0;
  uint32_t translations = 0;
};

uint32_t Swapped(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

bool ReadWord(const CompiledCatalogue& catalogue, size_t at, bool swapped, uint32_t& word) {
  if (at > catalogue.size || catalogue.size - at < sizeof word) return false;
  std::memcpy(&word, catalogue.data + at, sizeof word);
  if (swapped) word = Swapped(word);
  return true;
}

bool ReadLayout(const CompiledCatalogue& catalogue, MoLayout& layout) {
  uint32_t magic = 0;
  if (!ReadWord(catalogue, 0, false, magic)) return false;
  if (magic != kMoMagic && Swapped(magic) != kMoMagic) return false;
  layout.swapped = magic != kMoMagic;
  return ReadWord(catalogue, 8, layout.swapped, layout.count) &&
         ReadWord(catalogue, 12, layout.swapped, layout.originals) &&
         ReadWord(catalogue, 16, layout.swapped, layout.translations);
}

// The string of a table entry, with the bytes the entry's length gives (a
// plural's forms are separated by NUL); empty where it lies outside the data.
std::string_view EntryAt(const CompiledCatalogue& catalogue, const MoLayout& layout, uint32_t table,
                         uint32_t index) {
  uint32_t length = 0;
  uint32_t offset = 0;
  const size_t at = static_cast<size_t>(table) + 8 * static_cast<size_t>(index);
  if (!ReadWord(catalogue, at, layout.swapped, length) ||
      !ReadWord(catalogue, at + 4, layout.swapped, offset)) {
    return {};
  }
  if (offset > catalogue.size || catalogue.size - offset <= length) return {};  // and its NUL
  return {reinterpret_cast<const char*>(catalogue.data) + offset, length};
}

// The original as msgfmt sorted it: up to its first NUL (a plural's singular).
std::string_view SortKey(std::string_view original) {
  return original.substr(0, original.find('\0'));
}

const CompiledCatalogue* CatalogueOf(Language language) {
  for (size_t i = 0; i < kCompiledCatalogueCount; ++i) {
    if (kCompiledCatalogues[i].language == language) return &kCompiledCatalogues[i];
  }
  return nullptr;
}

// Where the next conversion of text starts at or after from; npos for none.
size_t NextConversion(std::string_view text, size_t from) {
  while ((from = text.find('%', from)) != std::string_view::npos) {
    if (from + 1 < text.size() && text[from + 1] == '%') {
      from += 2;
      continue;
    }
    return from;
  }
  return std::string_view::npos;
}

// The conversion at a '%': its flags, width and length up to its letter.
std::string_view ConversionAt(std::string_view text, size_t at) {
  const size_t end = text.find_first_of("diouxXeEfFgGaAcspn", at + 1);
  return text.substr(at, end == std::string_view::npos ? text.size() - at : end - at + 1);
}

// The message id of a key: "context\x04english".
bool MessageIdOf(const char* context, const char* english, char* out, size_t capacity) {
  const size_t contextLength = std::strlen(context);
  const size_t englishLength = std::strlen(english);
  if (contextLength + 1 + englishLength >= capacity) return false;
  std::memcpy(out, context, contextLength);
  out[contextLength] = kContextEnd;
  std::memcpy(out + contextLength + 1, english, englishLength + 1);
  return true;
}

// The catalogue's msgstr for a key; empty where it has none. The id is put
// together on the stack: a lookup allocates nothing.
std::string_view Translation(Language language, const char* context, const char* english) {
  const CompiledCatalogue* catalogue = CatalogueOf(language);
  char id[1024];
  if (catalogue == nullptr || !MessageIdOf(context, english, id, sizeof id)) return {};
  return LookUp(*catalogue, id);
}

}  // namespace

bool HasTexts(Language language) {
  return language == Language::kEnglish || language == Language::kDutch ||
         language == Language::kGerman;
}

std::string_view LookUp(const CompiledCatalogue& catalogue, std::string_view messageId) {
  MoLayout layout;
  if (!ReadLayout(catalogue, layout)) return {};
  uint32_t low = 0;
  uint32_t high = layout.count;
  while (low < high) {
    const uint32_t middle = low + (high - low) / 2;
    const int order =
        SortKey(EntryAt(catalogue, layout, layout.originals, middle)).compare(messageId);
    if (order == 0) return EntryAt(catalogue, layout, layout.translations, middle);
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return {};
}

bool SameConversions(std::string_view a, std::string_view b) {
  size_t atA = NextConversion(a, 0);
  size_t atB = NextConversion(b, 0);
  while (atA != std::string_view::npos && atB != std::string_view::npos) {
    const std::string_view conversionA = ConversionAt(a, atA);
    if (conversionA != ConversionAt(b, atB)) return false;
    atA = NextConversion(a, atA + conversionA.size());
    atB = NextConversion(b, atB + conversionA.size());
  }
  return atA == atB;
}

const char* Translate(TextKey key, Language language) {
  if (key.english == nullptr || !HasTexts(language)) return nullptr;
  const std::string_view translated = Translation(language, key.context, key.english);
  if (translated.empty() || !SameConversions(translated, key.english)) return key.english;
  return translated.data();
}

PluralText TranslatePlural(PluralKey key, Language language) {
  if (!HasTexts(language)) return {nullptr, nullptr};
  const std::string_view forms = Translation(language, key.context, key.one);
  const size_t split = forms.find('\0');
  if (split == std::string_view::npos) return {key.one, key.many};
  const std::string_view one = forms.substr(0, split);
  const std::string_view many = forms.substr(split + 1);
  if (one.empty() || many.empty() || !SameConversions(one, key.one) ||
      !SameConversions(many, key.many)) {
    return {key.one, key.many};
  }
  return {one.data(), many.data()};
}
