#include "checker/words.h"

#include <algorithm>
#include <iterator>

namespace lumavale::check {
namespace {

// By message id, the entry of `file` that holds it.
std::vector<const catalog::Entry*> ById(const catalog::File& file) {
  std::vector<const catalog::Entry*> byId(static_cast<std::size_t>(Msg::kCount), nullptr);
  for (const catalog::Entry& entry : file.entries) {
    for (std::size_t id = 1; id < byId.size(); ++id) {
      if (entry.context == kMessageNames[id]) byId[id] = &entry;
    }
  }
  return byId;
}

// The first count among a phrase's arguments: the number its plural form follows.
std::uint64_t CountOf(const Phrase& phrase) {
  const auto count = std::ranges::find(phrase.args, Arg::Type::kNumber, &Arg::type);
  return count == phrase.args.end() ? 1 : count->number;
}

}  // namespace

std::vector<std::string> LanguageCodes() {
  std::vector<std::string> codes;
  for (std::size_t i = 0; i < catalog::kEmbeddedCount; ++i) codes.emplace_back(catalog::kEmbedded[i].code);
  return codes;
}

std::string LanguageOfWindows(std::uint16_t languageId) {
  // Primary language ids (the low ten bits), as winnt.h numbers them.
  static constexpr std::pair<std::uint16_t, const char*> kPrimary[] = {
      {0x19, "ru"}, {0x16, "pt-BR"}, {0x0A, "es"}, {0x07, "de"}, {0x0C, "fr"}, {0x15, "pl"}, {0x04, "zh-CN"}};
  const std::uint16_t primary = languageId & 0x3FF;
  const auto* known = std::ranges::find(kPrimary, primary, &std::pair<std::uint16_t, const char*>::first);
  return known == std::end(kPrimary) || catalog::Find(known->second) == nullptr ? "en" : known->second;
}

Words::Words(std::string_view language)
    : english(catalog::Read(catalog::kEmbedded[0].text)), englishOf(ById(english)) {
  if (const catalog::Embedded* embedded = catalog::Find(language); embedded != nullptr && embedded != catalog::kEmbedded) {
    translated = catalog::Read(embedded->text);
  }
  translationOf = ById(translated);
}

const std::string& Words::Message(Msg id, std::uint64_t n) const {
  static const std::string kMissing = "?";
  const auto index = static_cast<std::size_t>(id);
  const catalog::Entry* source = index < englishOf.size() ? englishOf[index] : nullptr;
  if (source == nullptr) return kMissing;
  // Only a translation of the English as it is now, whole and reviewed.
  const catalog::Entry* translation = translationOf[index];
  if (translation != nullptr && !translation->fuzzy && translation->english == source->english &&
      translation->englishPlural == source->englishPlural && !translation->strings.empty() &&
      std::ranges::none_of(translation->strings, &std::string::empty)) {
    const std::size_t form = source->englishPlural.empty() ? 0 : catalog::PluralForm(translated.pluralForms, n);
    return translation->strings[std::min(form, translation->strings.size() - 1)];
  }
  return !source->englishPlural.empty() && n != 1 ? source->englishPlural : source->english;
}

std::string Words::Say(const Phrase& phrase) const {
  if (phrase.Empty()) return {};
  const std::string& message = Message(phrase.id, CountOf(phrase));
  std::string said;
  for (std::size_t i = 0; i < message.size(); ++i) {
    // "%2$s" stands for the second argument, "%%" for a percent sign.
    if (message[i] != '%' || i + 1 == message.size()) {
      said += message[i];
      continue;
    }
    if (message[i + 1] == '%') {
      said += '%';
      ++i;
      continue;
    }
    const std::size_t dollar = message.find('$', i);
    std::size_t number = 0;
    bool digits = dollar != std::string::npos && dollar > i + 1 && dollar + 1 < message.size();
    for (std::size_t k = i + 1; digits && k < dollar; ++k) {
      digits = message[k] >= '0' && message[k] <= '9';
      number = number * 10 + static_cast<std::size_t>(message[k] - '0');
    }
    if (!digits || number == 0 || number > phrase.args.size()) {
      said += message[i];
      continue;
    }
    const Arg& arg = phrase.args[number - 1];
    switch (arg.type) {
      case Arg::Type::kText: said += arg.text; break;
      case Arg::Type::kPath: said += kPathStart + arg.text + kPathEnd; break;
      case Arg::Type::kNumber: said += std::to_string(arg.number); break;
      case Arg::Type::kPhrase: said += arg.phrases.empty() ? std::string() : Say(arg.phrases.front()); break;
      case Arg::Type::kList:
      case Arg::Type::kChoice: {
        // "a, b and c", as the language joins them.
        const Msg last = arg.type == Arg::Type::kList ? Msg::kListLast : Msg::kListOr;
        std::string list = arg.phrases.empty() ? std::string() : Say(arg.phrases.back());
        for (std::size_t k = arg.phrases.size(); k-- > 1;) {
          list = Say(check::Say(k + 1 == arg.phrases.size() ? last : Msg::kListNext, Text(Say(arg.phrases[k - 1])),
                                Text(list)));
        }
        said += list;
        break;
      }
    }
    i = dollar + 1;  // past the "s"
  }
  return said;
}

}  // namespace lumavale::check
