// Questions put to the user on the terminal (see prompt.h).
#include "engine/terminal/prompt.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>

#include "engine/io/signals.h"

namespace engine {
namespace {

std::string Normalised(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  const std::size_t last = line.find_last_not_of(" \t\r\n");
  std::string word = line.substr(first, last - first + 1);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

// One line from `in`, without its newline; false at end of input.
bool ReadLine(std::FILE* in, std::string& line) {
  line.clear();
  for (int c; (c = std::fgetc(in)) != EOF;) {
    if (c == '\n') return true;
    line += static_cast<char>(c);
  }
  return !line.empty() && !std::ferror(in);
}

}  // namespace

Answer ParseAnswer(const std::string& line, bool& valid) {
  const std::string word = Normalised(line);
  valid = true;
  if (word == "y" || word == "yes") return Answer::kYes;
  if (word == "n" || word == "no") return Answer::kNo;
  if (word == "a" || word == "all") return Answer::kAll;
  if (word == "c" || word == "cancel") return Answer::kCancel;
  valid = false;
  return Answer::kCancel;
}

Answer AskOn(const std::string& question, std::FILE* in, std::FILE* out) {
  for (std::string line;;) {
    std::fprintf(out, "%s? [y]es, [n]o, [a]ll, [c]ancel: ", question.c_str());
    std::fflush(out);
    if (!ReadLine(in, line)) {
      std::fputc('\n', out);
      std::fflush(out);
      return Answer::kCancel;
    }
    bool valid = false;
    const Answer answer = ParseAnswer(line, valid);
    if (valid) return answer;
  }
}

// The controlling terminal, open for a question, or -1.
int OpenTerminal() { return ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC); }

bool HasTerminal() {
  const int tty = OpenTerminal();
  return tty >= 0 && ::close(tty) == 0;
}

Answer AskUser(const std::string& question) {
  const int tty = OpenTerminal();
  if (tty < 0) return Answer::kNobody;
  const int copy = ::fcntl(tty, F_DUPFD_CLOEXEC, 0);
  std::FILE* in = copy >= 0 ? ::fdopen(copy, "r") : nullptr;
  std::FILE* out = ::fdopen(tty, "w");
  if (!in && copy >= 0) ::close(copy);
  if (!out) ::close(tty);
  Answer answer = Answer::kNobody;
  if (in && out) {
    EndLineOnSignal(tty);
    answer = AskOn(question, in, out);
    EndLineOnSignal(-1);
  }
  if (in) std::fclose(in);
  if (out) std::fclose(out);
  return answer;
}

}  // namespace engine
