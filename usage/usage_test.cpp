#include "usage/usage.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "platform/dialog.h"
#include "vandrix_identity.h"

namespace vandrix {
namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(text.substr(start));
  return lines;
}

TEST(UsageText, IsTheTwentySixLinesJoinedByCrLf) {
  const std::string text = UsageText();
  const std::vector<std::string> lines = SplitCrLf(text);
  const std::vector<std::string> expected = {
      "Vandrix version 1.0.0.1",
      "Performs shell operations like COPY, MOVE, REN and DEL.",
      "USAGE:",
      "  Vandrix.exe [Options] Operation Source [Dest]",
      "WHERE:",
      "  Operations can be COPY, MOVE, DEL, DELETE, REN, RENAME.",
      "  Source is one or more source file names separated by ';'.",
      "  Dest is the destination file or directory name.",
      "  Options can be [/C] [/D] [/E] [/F] [/P] [/R] [/S] [/U] [/?|/h]",
      "  /c  Respond with Yes to All for any dialog box that is displayed.",
      "  /d  Do not ask to confirm the creation of a new directory.",
      "  /e  Do not display a dialog to the user if an error occurs.",
      "  /f  Perform the operation only on files (not on folders).",
      "  /p  Do not show individual file names as they are operated on.",
      "  /r  Give a new name if a file with same name already exists.",
      "  /s  Do not display a progress dialog box.",
      "  /u  Preserve undo information, if possible.",
      "  /h  Display this help.",
      "  /?  Display this help.",
      "NOTE:",
      "  Wildcard characters in the [Dest] parameter are not supported.",
      "  Is better allways use fully-qualified paths.",
      "RETURN VALUE:",
      "  Vandrix returns zero if succeeds or not zero if fails.",
      "EXAMPLE:",
      "  vandrix move c:\\Data\\*.* c:\\DataStore",
  };
  ASSERT_EQ(lines.size(), 26u);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
  // No stray line ends: every LF belongs to a CR LF pair, and nothing ends
  // the last line.
  std::size_t lf = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') continue;
    ++lf;
    ASSERT_GT(i, 0u);
    EXPECT_EQ(text[i - 1], '\r');
  }
  EXPECT_EQ(lf, 25u);
  EXPECT_EQ(text.back(), 'e');
}

TEST(UsageText, VersionAgreesWithTheBuild) {
  EXPECT_EQ(SplitCrLf(UsageText())[0], std::string("Vandrix version ") + kVersionText);
}

TEST(ShowUsage, ShowsOneInformationBoxWithOkAndTheCredit) {
  vandrix_test::FakePlatform fake;
  ShowUsage();
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_TRUE(fake.boxes[0].owner_null);
  EXPECT_EQ(fake.boxes[0].style, 0x40u);
  EXPECT_EQ(fake.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(fake.boxes[0].text, UsageText());
  EXPECT_EQ(fake.boxes[0].caption,
            std::string(kMakerNotice) + " - " + kMakerWebsite);
  EXPECT_TRUE(fake.requests.empty());
}

}  // namespace
}  // namespace vandrix
