// Names as the program shows them: in the engine's lines, questions and
// progress line, and in the POSIX command line's refusals (built on every
// platform, as that command line is).
#ifndef VANDRIX_ENGINE_BASE_QUOTE_H_
#define VANDRIX_ENGINE_BASE_QUOTE_H_

#include <string>

namespace engine {

/// `name` quoted for a message or a question: 'my file.txt' when every byte
/// of it prints as itself; else the shell's $'...' form, in which a control
/// character, an invalid or non-printing UTF-8 sequence, a quote and a
/// backslash are escaped ($'two\nlines', $'\033[2J', $'it\'s'). So a report
/// stays one line and no name reaches the terminal as a control sequence;
/// pasted into a shell, the quoted name is the name.
std::string Quoted(const std::string& name);

/// `text` as it is when every byte of it prints as itself (a quote too),
/// else Quoted(text): for text shown without quotes.
std::string Displayed(const std::string& text);

}  // namespace engine

#endif  // VANDRIX_ENGINE_BASE_QUOTE_H_
