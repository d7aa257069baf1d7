// Questions put to the user before an item is replaced or deleted.
#ifndef VANDRIX_ENGINE_TERMINAL_PROMPT_H_
#define VANDRIX_ENGINE_TERMINAL_PROMPT_H_

#include <cstdio>
#include <string>

namespace engine {

/// The user's answer to one question.
enum class Answer {
  kYes,     ///< do this item
  kNo,      ///< skip this item
  kAll,     ///< do this item and every later one without asking
  kCancel,  ///< stop the whole operation
  kNobody,  ///< nobody could be asked (no terminal): the item is kept, as with kNo
};

/// Reads one answer line: y/yes, n/no, a/all, c/cancel, any letter case,
/// surrounding blanks ignored. Sets `valid` false for any other text.
Answer ParseAnswer(const std::string& line, bool& valid);

/// Writes "QUESTION? [y]es, [n]o, [a]ll, [c]ancel: " to `out` (the question
/// as the caller words it, its program's name first) and reads lines from
/// `in` until one is a valid answer; end of input (or a read error) is
/// kCancel, and ends the line on `out`.
Answer AskOn(const std::string& question, std::FILE* in, std::FILE* out);

/// Asks the user on the controlling terminal (/dev/tty), whatever standard
/// input and standard error are; kNobody when the process has none. While
/// the question waits, a signal that ends the process ends its line first.
Answer AskUser(const std::string& question);

/// True when the process has a controlling terminal to ask on, so that
/// AskUser would not answer kNobody at once.
bool HasTerminal();

}  // namespace engine

#endif  // VANDRIX_ENGINE_TERMINAL_PROMPT_H_
