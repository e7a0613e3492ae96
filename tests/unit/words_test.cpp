#include "checker/words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "checker/catalog.h"

namespace lumavale::check {
namespace {

// Each language counts as its grammar does: Russian and Polish in three forms, Chinese
// in one, French and Brazilian Portuguese with zero as one.
TEST(Words, PluralFormsFollowEachLanguage) {
  const struct {
    const char* code;
    std::vector<std::uint64_t> counts;
    std::vector<std::size_t> forms;
  } kCases[] = {
      {"en", {0, 1, 2, 21}, {1, 0, 1, 1}}, {"de", {0, 1, 2}, {1, 0, 1}}, {"es", {0, 1, 2}, {1, 0, 1}},
      {"fr", {0, 1, 2, 21}, {0, 0, 1, 1}}, {"pt-BR", {0, 1, 2}, {0, 0, 1}}, {"zh-CN", {0, 1, 2, 5}, {0, 0, 0, 0}},
      {"ru", {1, 2, 5, 11, 21, 22, 25, 111}, {0, 1, 2, 2, 0, 1, 2, 2}},
      {"pl", {1, 2, 5, 12, 21, 22, 25, 102}, {0, 1, 2, 2, 2, 1, 2, 1}},
  };
  for (const auto& c : kCases) {
    const auto* found = std::find_if(catalog::kEmbedded, catalog::kEmbedded + catalog::kEmbeddedCount,
                                     [&](const catalog::Embedded& embedded) { return embedded.code == std::string(c.code); });
    ASSERT_NE(found, catalog::kEmbedded + catalog::kEmbeddedCount) << c.code;
    const std::string forms = catalog::Read(found->text).pluralForms;
    for (std::size_t i = 0; i < c.counts.size(); ++i) {
      EXPECT_EQ(catalog::PluralForm(forms, c.counts[i]), c.forms[i]) << c.code << " " << c.counts[i] << ": " << forms;
    }
  }
}

// As Windows programs choose: by the user's language; any Portuguese or Chinese the
// one catalog there is; any other language without a catalog English.
TEST(Words, LanguageOfWindowsByItsPrimaryLanguage) {
  const std::pair<std::uint16_t, const char*> kCases[] = {
      {0x0409, "en"}, {0x0809, "en"}, {0x0419, "ru"}, {0x0416, "pt-BR"}, {0x0816, "pt-BR"}, {0x0C0A, "es"},
      {0x0407, "de"}, {0x0807, "de"}, {0x040C, "fr"}, {0x0415, "pl"},    {0x0804, "zh-CN"}, {0x0404, "zh-CN"},
      {0x0411, "en"}};
  for (const auto& [id, code] : kCases) EXPECT_EQ(LanguageOfWindows(id), code) << std::hex << id;
}

}  // namespace
}  // namespace lumavale::check
