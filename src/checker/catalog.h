#pragma once
// The message catalogs: gettext's .po files, one per language, built into the program
// (catalog/*.po, English in catalog/lumavale.pot). Each message is keyed by its id
// (msgctxt) and carries the English it translates (msgid); a translation whose
// English no longer matches is stale and is not used.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumavale::check::catalog {

struct Entry {
  std::string context;               // the message id
  std::string english;               // msgid
  std::string englishPlural;         // msgid_plural; empty for a message without plural forms
  std::vector<std::string> strings;  // msgstr, or msgstr[0..n]; empty strings: untranslated
  bool fuzzy = false;                // marked for a translator's review: not used
};

struct File {
  std::string pluralForms;  // the header's Plural-Forms ("nplurals=2; plural=(n != 1);")
  std::vector<Entry> entries;
};

// Reads a .po file's text; what it cannot read is left out.
File Read(std::string_view po);

// The plural form that a Plural-Forms header's formula gives for `n`; 0 where the
// formula cannot be read or gives a form the language does not have.
std::size_t PluralForm(std::string_view pluralForms, std::uint64_t n);

// The catalogs built into the program: English first, then each translation, by the
// codes --language takes.
struct Embedded {
  const char* code;
  std::string_view text;
};
extern const Embedded kEmbedded[];
extern const std::size_t kEmbeddedCount;

// The built-in catalog of a --language code, or null.
const Embedded* Find(std::string_view code);

}  // namespace lumavale::check::catalog
