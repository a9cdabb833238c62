// zorstat --report: the report lands in the user's documents folder under Zorwise and is opened;
// every way it cannot be written or opened is told in a box, never reported as success.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_shell.h"
#include "tests/unit/store/store_dir.h"
#include "apps/zorstat/report_file.h"

namespace zor {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(EnergyReportFile, WrittenUnderZorwiseInDocumentsAndOpened) {
  StoreDir documents;
  const std::string expected = documents.File("Zorwise/Energy report.html");
  FakeShell shell;
  FakeMessageBoxes boxes;
  // A second run replaces the first report rather than failing on the existing folder or file.
  for (const char* html : {"<p>first</p>", "<p>second</p>"}) {
    EXPECT_EQ(WriteAndOpenReport(documents.File(""), html, shell, boxes), 0);
    EXPECT_EQ(Slurp(expected), html);
  }
  ASSERT_EQ(shell.opened.size(), 2u);
  EXPECT_EQ(shell.opened[1].first, expected);
  EXPECT_EQ(shell.opened[1].second, "");
  EXPECT_TRUE(boxes.ShownBoxes().empty());
}

TEST(EnergyReportFile, FailuresAreToldAndNothingIsOpened) {
  struct Case {
    const char* name;
    bool documentsKnown;
    bool folderBlocked;  // a file named Zorwise where the folder should be
    const char* told;
  };
  const Case cases[] = {
      {"no documents folder", false, false, "does not tell where your documents folder is"},
      {"folder cannot be made", true, true, "cannot be written to "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StoreDir documents;
    if (c.folderBlocked) std::ofstream(documents.File("Zorwise")) << "x";
    FakeShell shell;
    FakeMessageBoxes boxes;
    EXPECT_EQ(WriteAndOpenReport(c.documentsKnown ? documents.File("") : "", "<p/>", shell, boxes), 1);
    EXPECT_TRUE(shell.opened.empty());
    ASSERT_EQ(boxes.ShownBoxes().size(), 1u);
    EXPECT_NE(boxes.ShownBoxes()[0].text.find(c.told), std::string::npos) << boxes.ShownBoxes()[0].text;
    EXPECT_EQ(boxes.ShownBoxes()[0].caption, "Energy report");
  }
}

TEST(EnergyReportFile, WrittenButNotOpenedSaysWhereItIs) {
  StoreDir documents;
  FakeShell shell;
  shell.works = false;
  FakeMessageBoxes boxes;
  EXPECT_EQ(WriteAndOpenReport(documents.File(""), "<p/>", shell, boxes), 1);
  EXPECT_EQ(Slurp(documents.File("Zorwise/Energy report.html")), "<p/>");
  ASSERT_EQ(boxes.ShownBoxes().size(), 1u);
  EXPECT_NE(boxes.ShownBoxes()[0].text.find("Zorwise/Energy report.html, but no program opens it"),
            std::string::npos);
}

}  // namespace
}  // namespace zor
