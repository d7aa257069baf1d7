#include "platform/text.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(CharUpperBuffA, UpperCasesAsciiLettersInPlace) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"copy", "COPY"},
      {"ReNaMe", "RENAME"},
      {"/c", "/C"},
      {"a1-z_{}@[`", "A1-Z_{}@[`"},
      {" \tdel ", " \tDEL "},
      {std::string("a\0b", 3), std::string("A\0B", 3)},  // counted, not NUL-ended
  };
  for (const Case& c : cases) {
    std::string text = c.in;
    EXPECT_EQ(platform::CharUpperBuffA(&text[0], static_cast<DWORD>(text.size())),
              text.size());
    EXPECT_EQ(text, c.out);
  }
}

TEST(CharUpperBuffA, TouchesOnlyTheCountedBytes) {
  char text[] = "abcdef";
  platform::CharUpperBuffA(text, 3);
  EXPECT_STREQ(text, "ABCdef");
}

}  // namespace
