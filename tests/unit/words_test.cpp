#include "checker/words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "checker/catalog.h"

namespace lumavale::check {
namespace {

// How many words of two letters or more a text has, outside its arguments.
std::size_t Words(std::string text) {
  std::size_t count = 0;
  std::size_t letters = 0;
  for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at)) text.erase(at, 4);
  for (const char c : text + " ") {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && letters >= 2) ++count;
    letters = letter ? letters + 1 : 0;
  }
  return count;
}

// Every message in every language, for counts of each plural form: whole, with every
// argument it was given, and in that language wherever the English is a sentence.
TEST(Words, EveryLanguageSaysEveryMessageWithEachArgument) {
  const check::Words english("en");
  for (const std::string& code : LanguageCodes()) {
    const check::Words words(code);
    for (std::uint16_t id = 1; id < static_cast<std::uint16_t>(Msg::kCount); ++id) {
      for (const std::uint64_t count : {1U, 3U, 5U, 22U}) {
        Phrase phrase{static_cast<Msg>(id), {Number(count)}};
        for (std::uint64_t n = 2; n <= 4; ++n) phrase.args.push_back(Text("<" + std::to_string(n) + ">"));
        const std::string said = words.Say(phrase);
        const std::string saidInEnglish = english.Say(phrase);
        for (std::uint64_t n = 1; n <= 4; ++n) {
          const std::string arg = n == 1 ? std::to_string(count) : "<" + std::to_string(n) + ">";
          EXPECT_EQ(said.find(arg) != std::string::npos, saidInEnglish.find(arg) != std::string::npos)
              << code << " " << kMessageNames[id] << ": " << said;
        }
        EXPECT_TRUE(code == "en" || said != saidInEnglish || Words(saidInEnglish) < 3)
            << code << " " << kMessageNames[id] << " is not translated: " << said;
      }
    }
  }
}

// Each language counts as its Plural-Forms header says, and as its grammar does.
TEST(Words, PluralFormsFollowEachLanguage) {
  const struct {
    const char* code;
    std::vector<std::uint64_t> counts;
    std::vector<std::size_t> forms;
  } kCases[] = {
      {"en", {0, 1, 2, 21}, {1, 0, 1, 1}},       {"de", {0, 1, 2}, {1, 0, 1}},
      {"es", {0, 1, 2}, {1, 0, 1}},             {"fr", {0, 1, 2, 21}, {0, 0, 1, 1}},
      {"pt-BR", {0, 1, 2}, {0, 0, 1}},          {"zh-CN", {0, 1, 2, 5}, {0, 0, 0, 0}},
      {"ru", {1, 2, 5, 11, 21, 22, 25, 111}, {0, 1, 2, 2, 0, 1, 2, 2}},
      {"pl", {1, 2, 5, 12, 21, 22, 25, 102}, {0, 1, 2, 2, 2, 1, 2, 1}},
  };
  for (const auto& c : kCases) {
    const auto* catalog = std::find_if(catalog::kEmbedded, catalog::kEmbedded + catalog::kEmbeddedCount,
                                       [&](const catalog::Embedded& embedded) { return c.code == std::string(embedded.code); });
    ASSERT_NE(catalog, catalog::kEmbedded + catalog::kEmbeddedCount) << c.code;
    const std::string forms = catalog::Read(catalog->text).pluralForms;
    for (std::size_t i = 0; i < c.counts.size(); ++i) {
      EXPECT_EQ(catalog::PluralForm(forms, c.counts[i]), c.forms[i]) << c.code << " " << c.counts[i] << ": " << forms;
    }
  }
}

// As Windows programs choose: by the user's language, any Portuguese or Chinese the
// one catalog there is, any other language without a catalog English.
TEST(Words, LanguageOfWindowsByItsPrimaryLanguage) {
  const struct {
    std::uint16_t id;
    const char* code;
  } kCases[] = {{0x0409, "en"}, {0x0809, "en"}, {0x0419, "ru"}, {0x0416, "pt-BR"}, {0x0816, "pt-BR"},
                {0x0C0A, "es"}, {0x080A, "es"}, {0x0407, "de"}, {0x0807, "de"},   {0x040C, "fr"},
                {0x0C0C, "fr"}, {0x0415, "pl"}, {0x0804, "zh-CN"}, {0x0404, "zh-CN"}, {0x0411, "en"}};
  for (const auto& c : kCases) EXPECT_EQ(LanguageOfWindows(c.id), c.code) << std::hex << c.id;
}

}  // namespace
}  // namespace lumavale::check
