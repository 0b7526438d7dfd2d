// The lookup of the texts in the embedded catalogues: contexts, plurals,
// what is missing, and translations whose printf conversions differ.
#include "catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "messages.h"

namespace {

// A compiled catalogue in gettext's MO layout, from (message id, translation)
// pairs sorted by id: what msgfmt writes, less its hash table.
std::string MoFile(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string file;
  const auto word = [&file](uint32_t value) { file.append(reinterpret_cast<char*>(&value), 4); };
  const uint32_t count = static_cast<uint32_t>(entries.size());
  const uint32_t originals = 28;
  const uint32_t translations = originals + 8 * count;
  word(0x950412de);
  word(0);
  word(count);
  word(originals);
  word(translations);
  word(0);
  word(0);
  std::string strings;
  uint32_t at = translations + 8 * count;
  std::string tables[2];
  for (int side = 0; side < 2; ++side) {
    for (const auto& entry : entries) {
      const std::string& text = side == 0 ? entry.first : entry.second;
      const uint32_t length = static_cast<uint32_t>(text.size());
      tables[side].append(reinterpret_cast<const char*>(&length), 4);
      tables[side].append(reinterpret_cast<const char*>(&at), 4);
      strings += text + '\0';
      at += length + 1;
    }
  }
  return file + tables[0] + tables[1] + strings;
}

TEST(Catalogue, LooksUpByContextAndKeepsPluralForms) {
  const std::string mo = MoFile({
      {"", "Content-Type: text/plain; charset=UTF-8\n"},
      {std::string("a\x04key"), "in a"},
      {std::string("b\x04key"), "in b"},
      {std::string("c\x04one") + '\0' + "many", std::string("een") + '\0' + "veel"},
  });
  const CompiledCatalogue catalogue{Language::kDutch,
                                    reinterpret_cast<const unsigned char*>(mo.data()), mo.size()};
  EXPECT_EQ(LookUp(catalogue, "a\x04key"), "in a");
  EXPECT_EQ(LookUp(catalogue, "b\x04key"), "in b");
  EXPECT_EQ(LookUp(catalogue, "c\x04one"), std::string("een") + '\0' + "veel");
  EXPECT_EQ(LookUp(catalogue, "key"), "");
  EXPECT_EQ(LookUp(catalogue, "d\x04key"), "");
  // Cut short anywhere, it finds nothing rather than reading past its end.
  for (size_t size = 0; size < mo.size(); size += 7) {
    const CompiledCatalogue cut{Language::kDutch, catalogue.data, size};
    const std::string_view found = LookUp(cut, "b\x04key");
    EXPECT_TRUE(found.empty() || found == "in b") << size;
  }
}

TEST(Catalogue, ConversionsMustMatchInOrder) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"%s: the file does not exist", "%s: het bestand bestaat niet", true},
      {"Record %u is damaged", "Datensatz %u ist beschädigt", true},
      {"%s became %s (%s)", "%s in %s umgewandelt (%s)", true},
      {"100%% done", "klaar", true},
      {"%s", "", false},
      {"%s", "%u", false},
      {"%s and %u", "%u and %s", false},
      {"%s", "%s %s", false},
      {"%u more", "%lu meer", false},
      {"at 50%", "bij 50%", true},
  };
  for (const auto& c : cases) EXPECT_EQ(SameConversions(c.a, c.b), c.same) << c.a << " / " << c.b;
}

// The embedded catalogues answer for the program's own keys.
TEST(Catalogue, EmbeddedLanguagesTranslateTheProgramsTexts) {
  const TextKey key = T_("InputPathEmpty", "No input file specified");
  EXPECT_STREQ(Translate(key, Language::kEnglish), "No input file specified");
  EXPECT_STREQ(Translate(key, Language::kDutch), "Geen invoer bestand gespecificeerd");
  EXPECT_STREQ(Translate(key, Language::kGerman), "Keine Eingabe-Datei angegeben");
  EXPECT_EQ(Translate(key, Language::kFourth), nullptr);
  EXPECT_STREQ(Translate(T_("no such context", "No input file specified"), Language::kDutch),
               "No input file specified");
  EXPECT_EQ(Translate(TextKey{nullptr, nullptr}, Language::kDutch), nullptr);

  const PluralKey words = NT_("summary count", "point", "points");
  EXPECT_STREQ(TranslatePlural(words, Language::kGerman).one, "Punkt");
  EXPECT_STREQ(TranslatePlural(words, Language::kGerman).many, "Punkte");
  EXPECT_STREQ(TranslatePlural(words, Language::kEnglish).many, "points");
  EXPECT_EQ(TranslatePlural(words, Language::kFourth).one, nullptr);
}

bool Empty(const char* text) {
  return text == nullptr || *text == '\0';
}

// Every message has its words in each language with texts, none empty; a
// translation keeps the English text's conversions, and has a title where
// the English has one.
TEST(Catalogue, EveryMessageSpeaksEachLanguage) {
  for (int id = 0; id <= static_cast<int>(MessageId::kOpenFolder); ++id) {
    const MessageText english = TextFor(static_cast<MessageId>(id), Language::kEnglish);
    ASSERT_FALSE(Empty(english.text)) << id;
    for (Language language : {Language::kDutch, Language::kGerman}) {
      const MessageText text = TextFor(static_cast<MessageId>(id), language);
      ASSERT_FALSE(Empty(text.text)) << id;
      EXPECT_TRUE(SameConversions(text.text, english.text)) << text.text;
      EXPECT_EQ(Empty(text.title), Empty(english.title)) << id;
    }
    EXPECT_EQ(english.title == nullptr, Empty(english.title)) << id;
    EXPECT_EQ(TextFor(static_cast<MessageId>(id), Language::kFourth).text, nullptr);
  }
}

TEST(Catalogue, EveryCountedTextSpeaksEachLanguage) {
  for (int id = 0; id <= static_cast<int>(CountedId::kRecordsDamaged); ++id) {
    for (Language language : {Language::kEnglish, Language::kDutch, Language::kGerman}) {
      const CountedText words = CountedTextFor(static_cast<CountedId>(id), language);
      EXPECT_FALSE(Empty(words.one)) << id;
      EXPECT_FALSE(Empty(words.many)) << id;
    }
    EXPECT_EQ(CountedTextFor(static_cast<CountedId>(id), Language::kFourth).one, nullptr);
  }
}

}  // namespace
