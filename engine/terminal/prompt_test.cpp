// Tests of the questions put to the user, on in-memory streams.
#include "engine/terminal/prompt.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using engine::Answer;

struct Dialogue {
  Answer answer;
  std::string shown;
};

Dialogue Ask(std::string typed) {
  std::FILE* in = fmemopen(typed.empty() ? nullptr : &typed[0], typed.size(), "r");
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  const Answer answer = engine::AskOn("vandrix: replace 'out/a.txt'", in ? in : stdin, out);
  std::fclose(out);
  if (in) std::fclose(in);
  Dialogue dialogue{answer, std::string(buffer, size)};
  std::free(buffer);
  return dialogue;
}

TEST(Prompt, AnswersAndRepeats) {
  const std::string question = "vandrix: replace 'out/a.txt'? [y]es, [n]o, [a]ll, [c]ancel: ";
  struct Row {
    const char* typed;
    Answer answer;
    int asked;
    bool ends_input = false;
  };
  const std::vector<Row> rows = {
      {"y\n", Answer::kYes, 1},      {" YES \n", Answer::kYes, 1}, {"n\n", Answer::kNo, 1},
      {"No", Answer::kNo, 1},        {"a\n", Answer::kAll, 1},     {"ALL\n", Answer::kAll, 1},
      {"c\n", Answer::kCancel, 1},   {"cancel\n", Answer::kCancel, 1},
      {"maybe\n\nyes please\nn\n", Answer::kNo, 4},
      {"\x04", Answer::kCancel, 2, true},  // not an answer, then end of input
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    const Dialogue dialogue = Ask(row.typed);
    EXPECT_EQ(dialogue.answer, row.answer);
    std::string expected;
    for (int i = 0; i < row.asked; ++i) expected += question;
    if (row.ends_input) expected += '\n';  // the line is ended for what follows
    EXPECT_EQ(dialogue.shown, expected);
  }
}

TEST(Prompt, EndOfInputCancels) {
  std::FILE* in = std::tmpfile();
  ASSERT_NE(in, nullptr);
  std::FILE* out = std::tmpfile();
  EXPECT_EQ(engine::AskOn("vandrix: delete 'x'", in, out), Answer::kCancel);
  std::fclose(in);
  std::fclose(out);
}

}  // namespace
