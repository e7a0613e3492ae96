#pragma once
// What the check says, as data: a message of the catalog by its id, with its
// arguments. The judging code builds phrases and never a sentence; the words layer
// (words.h) turns them into text in the player's language when they are printed.
// Arguments that are the player's own (keys, values, paths, bytes) stay as written.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "checker/messages.h"

namespace lumavale::check {

struct Phrase;

struct Arg {
  enum class Type {
    kText,    // shown as it is: a key, a value, bytes, an address
    kPath,    // a file or folder: never broken across lines
    kNumber,  // a count; the first one a message takes chooses its plural form
    kPhrase,  // another message, said in the same language
    kList,    // several phrases, joined as the language joins a list ("a, b and c")
    kChoice,  // several phrases, one of which: "a, b or c"
  };
  Type type = Type::kText;
  std::string text;
  std::uint64_t number = 0;
  std::vector<Phrase> phrases;
};

struct Phrase {
  Msg id = Msg::kNone;
  std::vector<Arg> args;

  bool Empty() const { return id == Msg::kNone; }
};

inline Arg Text(std::string text) { return {Arg::Type::kText, std::move(text), 0, {}}; }
inline Arg Path(std::string path) { return {Arg::Type::kPath, std::move(path), 0, {}}; }
inline Arg Number(std::uint64_t number) { return {Arg::Type::kNumber, {}, number, {}}; }
inline Arg List(std::vector<Phrase> phrases) { return {Arg::Type::kList, {}, 0, std::move(phrases)}; }
inline Arg Choice(std::vector<Phrase> phrases) { return {Arg::Type::kChoice, {}, 0, std::move(phrases)}; }

// Say(Msg::kRowName, Number(2), Text("0x00726CEA"))
template <typename... Args>
Phrase Say(Msg id, Args&&... args) {
  return Phrase{id, std::vector<Arg>{std::forward<Args>(args)...}};
}

inline Arg Nested(Phrase phrase) { return {Arg::Type::kPhrase, {}, 0, {std::move(phrase)}}; }

}  // namespace lumavale::check
