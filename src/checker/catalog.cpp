#include "checker/catalog.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace lumavale::check::catalog {
namespace {

// The text of one quoted .po string, its escapes undone; none when it is not one.
std::optional<std::string> Unquoted(std::string_view line) {
  if (line.size() < 2 || line.front() != '"' || line.back() != '"') return std::nullopt;
  line = line.substr(1, line.size() - 2);
  std::string text;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      text += line[i];
      continue;
    }
    const char escaped = line[++i];
    text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
  }
  return text;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// A C expression of n, as Plural-Forms writes one: ?:, ||, &&, comparisons, %, /, *,
// +, -, !, parentheses, whole numbers. Evaluated as it is read.
class Formula {
 public:
  Formula(std::string_view text, std::uint64_t n) : rest(text), value(n) {}

  std::optional<std::uint64_t> Evaluate() {
    const std::optional<std::uint64_t> result = Conditional();
    Skip();
    if (!result || !(rest.empty() || rest.front() == ';')) return std::nullopt;
    return result;
  }

 private:
  void Skip() {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\n')) rest.remove_prefix(1);
  }

  bool Take(std::string_view token) {
    Skip();
    if (!rest.starts_with(token)) return false;
    rest.remove_prefix(token.size());
    return true;
  }

  std::optional<std::uint64_t> Conditional() {
    const std::optional<std::uint64_t> test = Or();
    if (!test || !Take("?")) return test;
    const std::optional<std::uint64_t> yes = Conditional();
    if (!yes || !Take(":")) return std::nullopt;
    const std::optional<std::uint64_t> no = Conditional();
    if (!no) return std::nullopt;
    return *test != 0 ? yes : no;
  }

  std::optional<std::uint64_t> Or() {
    std::optional<std::uint64_t> left = And();
    while (left && Take("||")) {
      const std::optional<std::uint64_t> right = And();
      left = right ? std::optional<std::uint64_t>((*left != 0 || *right != 0) ? 1 : 0) : std::nullopt;
    }
    return left;
  }

  std::optional<std::uint64_t> And() {
    std::optional<std::uint64_t> left = Comparison();
    while (left && Take("&&")) {
      const std::optional<std::uint64_t> right = Comparison();
      left = right ? std::optional<std::uint64_t>((*left != 0 && *right != 0) ? 1 : 0) : std::nullopt;
    }
    return left;
  }

  std::optional<std::uint64_t> Comparison() {
    std::optional<std::uint64_t> left = Sum();
    while (left) {
      static constexpr std::string_view kOperators[] = {"==", "!=", "<=", ">=", "<", ">"};
      const auto* taken = std::ranges::find_if(kOperators, [&](std::string_view candidate) { return Take(candidate); });
      if (taken == std::end(kOperators)) break;
      const std::string_view op = *taken;
      const std::optional<std::uint64_t> right = Sum();
      if (!right) return std::nullopt;
      const bool holds = op == "==" ? *left == *right : op == "!=" ? *left != *right : op == "<=" ? *left <= *right
                         : op == ">=" ? *left >= *right : op == "<" ? *left < *right : *left > *right;
      left = holds ? 1 : 0;
    }
    return left;
  }

  std::optional<std::uint64_t> Sum() {
    std::optional<std::uint64_t> left = Product();
    while (left) {
      const bool plus = Take("+");
      if (!plus && !Take("-")) break;
      const std::optional<std::uint64_t> right = Product();
      if (!right) return std::nullopt;
      left = plus ? *left + *right : *left - *right;
    }
    return left;
  }

  std::optional<std::uint64_t> Product() {
    std::optional<std::uint64_t> left = Unary();
    while (left) {
      const char op = Take("%") ? '%' : Take("/") ? '/' : Take("*") ? '*' : '\0';
      if (op == '\0') break;
      const std::optional<std::uint64_t> right = Unary();
      if (!right || (op != '*' && *right == 0)) return std::nullopt;
      left = op == '%' ? *left % *right : op == '/' ? *left / *right : *left * *right;
    }
    return left;
  }

  std::optional<std::uint64_t> Unary() {
    if (Take("!")) {
      const std::optional<std::uint64_t> operand = Unary();
      return operand ? std::optional<std::uint64_t>(*operand == 0 ? 1 : 0) : std::nullopt;
    }
    if (Take("(")) {
      const std::optional<std::uint64_t> inner = Conditional();
      return inner && Take(")") ? inner : std::nullopt;
    }
    if (Take("n")) return value;
    Skip();
    if (rest.empty() || rest.front() < '0' || rest.front() > '9') return std::nullopt;
    std::uint64_t number = 0;
    while (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') {
      number = number * 10 + static_cast<std::uint64_t>(rest.front() - '0');
      rest.remove_prefix(1);
    }
    return number;
  }

  std::string_view rest;
  std::uint64_t value;
};

// The number after `key=` in a Plural-Forms header, or the text after it.
std::string_view After(std::string_view pluralForms, std::string_view key) {
  const std::size_t at = pluralForms.find(key);
  return at == std::string_view::npos ? std::string_view() : pluralForms.substr(at + key.size());
}

}  // namespace

File Read(std::string_view po) {
  File file;
  Entry entry;
  std::string* continued = nullptr;  // the string a quoted line goes on
  const auto finish = [&] {
    if (entry.context.empty() && entry.english.empty() && !entry.strings.empty()) {
      // The header: its Plural-Forms line.
      const std::size_t at = entry.strings[0].find("Plural-Forms:");
      if (at != std::string::npos) {
        const std::size_t end = entry.strings[0].find('\n', at);
        file.pluralForms = Trimmed(std::string_view(entry.strings[0]).substr(at + 13, end - at - 13));
      }
    } else if (!entry.context.empty()) {
      file.entries.push_back(std::move(entry));
    }
    entry = {};
    continued = nullptr;
  };
  bool started = false;  // a keyword of the entry being read has been seen
  while (!po.empty()) {
    const std::size_t end = po.find('\n');
    const std::string_view line = Trimmed(po.substr(0, end));
    po.remove_prefix(end == std::string_view::npos ? po.size() : end + 1);
    if (line.empty()) continue;
    if (line.starts_with("#")) {
      // A comment starts the next entry; "#, fuzzy" marks it.
      if (started) {
        finish();
        started = false;
      }
      if (line.starts_with("#,") && line.find("fuzzy") != std::string_view::npos) entry.fuzzy = true;
      continue;
    }
    if (line.starts_with("\"")) {
      const std::optional<std::string> text = Unquoted(line);
      if (continued != nullptr && text) *continued += *text;
      continue;
    }
    const std::size_t space = line.find(' ');
    const std::string_view keyword = line.substr(0, space);
    const std::optional<std::string> text = Unquoted(Trimmed(line.substr(space == std::string_view::npos ? line.size() : space)));
    if (!text) continue;
    // A msgctxt, or a msgid without one, begins an entry.
    if ((keyword == "msgctxt" || (keyword == "msgid" && entry.context.empty())) && started) {
      finish();
    }
    started = true;
    if (keyword == "msgctxt") {
      continued = &(entry.context = *text);
    } else if (keyword == "msgid") {
      continued = &(entry.english = *text);
    } else if (keyword == "msgid_plural") {
      continued = &(entry.englishPlural = *text);
    } else if (keyword == "msgstr") {
      entry.strings = {*text};
      continued = &entry.strings.back();
    } else if (keyword.starts_with("msgstr[") && keyword.ends_with("]")) {
      const std::size_t index = static_cast<std::size_t>(keyword[7] - '0');
      if (keyword.size() != 9 || index > 9) continue;
      if (entry.strings.size() <= index) entry.strings.resize(index + 1);
      entry.strings[index] = *text;
      continued = &entry.strings[index];
    }
  }
  if (started) finish();
  return file;
}

std::size_t PluralForm(std::string_view pluralForms, std::uint64_t n) {
  const std::string_view count = After(pluralForms, "nplurals=");
  const std::optional<std::uint64_t> forms = Formula(count.substr(0, count.find(';')), 0).Evaluate();
  const std::optional<std::uint64_t> form = Formula(After(pluralForms, "plural="), n).Evaluate();
  return forms && form && *form < *forms ? static_cast<std::size_t>(*form) : 0;
}

const Embedded* Find(std::string_view code) {
  const auto* found = std::find_if(kEmbedded, kEmbedded + kEmbeddedCount,
                                   [&](const Embedded& embedded) { return code == embedded.code; });
  return found == kEmbedded + kEmbeddedCount ? nullptr : found;
}

}  // namespace lumavale::check::catalog
