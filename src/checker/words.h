#pragma once
// The words layer: phrases said in the player's language, from that language's
// catalog, English where it has no translation. It knows nothing of what is judged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "checker/catalog.h"
#include "checker/phrase.h"

namespace lumavale::check {

// A path in said text lies between these marks: a line is never broken inside one,
// and the layout takes the marks out.
inline constexpr char kPathStart = '\x02';
inline constexpr char kPathEnd = '\x03';

// The codes --language takes, English first.
std::vector<std::string> LanguageCodes();

// The language of a Windows language id (GetUserDefaultUILanguage): by its primary
// language, so any Portuguese is "pt-BR" and any Chinese "zh-CN"; English where there
// is no catalog.
std::string LanguageOfWindows(std::uint16_t languageId);

class Words {
 public:
  // `language` is one of LanguageCodes(); any other says English.
  explicit Words(std::string_view language);

  // The phrase in this language, UTF-8.
  std::string Say(const Phrase& phrase) const;

 private:
  // The message in this language, for the count `n` where it has plural forms.
  const std::string& Message(Msg id, std::uint64_t n) const;

  catalog::File english;
  catalog::File translated;
  // By message id: the index of its entry in each file, or none.
  std::vector<const catalog::Entry*> englishOf;
  std::vector<const catalog::Entry*> translationOf;
};

}  // namespace lumavale::check
