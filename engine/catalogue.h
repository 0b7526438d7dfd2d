// The texts a user sees, in every language. A text is written in the code as
// its English words with a context that says where it is shown (T_ and NT_),
// and that pair is its key: English needs nothing more. The Dutch and German
// texts live in the catalogues po/nl.po and po/de.po, which the build checks
// and compiles with gettext's msgfmt and embeds in the programs; the lookup
// reads those compiled catalogues, so that no program reads a file for its
// texts. scripts/update-po collects the keys from the code with xgettext.
#pragma once

#include <cstddef>
#include <string_view>

#include "gdb_types.h"

struct TextKey {
  const char* context;
  const char* english;  // UTF-8
};

// A text whose words follow a count: English after a count of 1, and after
// any other count.
struct PluralKey {
  const char* context;
  const char* one;
  const char* many;
};

// The marks xgettext looks for (keywords T_:1c,2 and NT_:1c,2,3).
#define T_(context, english) (TextKey{context, english})
#define NT_(context, one, many) (PluralKey{context, one, many})

// Whether the language has texts: English, Dutch and German do; the fourth
// language does not.
bool HasTexts(Language language);

// The text in the language, NUL-terminated and valid for the program's life:
// English as the key has it; Dutch or German as the catalogue has it, or in
// English where the catalogue has no translation, or one whose printf
// conversions (%s, %u) are not those of the English text; null for a
// language without texts.
const char* Translate(TextKey key, Language language);

struct PluralText {
  const char* one;   // after a count of 1
  const char* many;  // after any other count
};
PluralText TranslatePlural(PluralKey key, Language language);

// Whether two texts have the same printf conversions (%s, %u, ...) in the same
// order; "%%" is no conversion.
bool SameConversions(std::string_view a, std::string_view b);

// A compiled catalogue (gettext's MO format) of one language, as embedded.
struct CompiledCatalogue {
  Language language;
  const unsigned char* data;
  size_t size;
};
// The catalogues the build embedded (catalogues.cpp, generated).
extern const CompiledCatalogue kCompiledCatalogues[];
extern const size_t kCompiledCatalogueCount;

// The translation of a message id ("context\x04english", or for a plural text
// its English singular) in a compiled catalogue: the msgstr as stored (plural
// forms separated by NUL), with its length; empty where it has none.
std::string_view LookUp(const CompiledCatalogue& catalogue, std::string_view messageId);
