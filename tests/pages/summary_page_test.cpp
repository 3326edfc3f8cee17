// The Summary page, its file list and the first RS application.

#include "host/summary_page.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>

#include "tests/pages/page_test_support.h"
#include "tests/support/modal_helper.h"

namespace codexel::testing {
namespace {

constexpr const char* kSummaryFinishText =
    "Click Finish to create the custom corelet variation, an ZHDL Function prototype in an "
    "Include File (.inc), and a VHDL Component Declaration file (.cmp).";
constexpr const char* kSummarySymbolText =
    "When you run this wizard from within the Vortalis software, it also creates a Symbol File "
    "(.sym).";
constexpr const char* kSummaryFilesText =
    "The Quillwork Plug-In Manager will create the following files:";

// ---- The file list rules ----

struct LinesCase {
  const char* name;
  std::string file_list;
  std::string directory;
  std::vector<std::string> lines;
};

class FileLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(FileLinesTest, SplitsAndJoinsTheDirectory) {
  EXPECT_EQ(SummaryFileLines(GetParam().file_list, GetParam().directory), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, FileLinesTest,
    ::testing::Values(LinesCase{"Plain",
                                "$rs.vhd$rs.inc$rs.cmp",
                                "/work/x/",
                                {"/work/x/rs.vhd", "/work/x/rs.inc", "/work/x/rs.cmp"}},
                      LinesCase{"NoDirectory", "$rs.v", "", {"rs.v"}},
                      LinesCase{"NamesWithADirectoryStand", "$a/b.vhd", "/work/x/", {"a/b.vhd"}},
                      // Here a backslash or a colon is part of a file name.
                      LinesCase{"BackslashAndColonAreNoDirectory",
                                "$c\\d.inc$e:f.cmp",
                                "/work/x/",
                                {"/work/x/c\\d.inc", "/work/x/e:f.cmp"}},
                      LinesCase{"LineFeedsAndEmptyPieces",
                                "$$rs.tdf\n\nrs.inc$\n",
                                "/w/",
                                {"/w/rs.tdf", "/w/rs.inc"}},
                      LinesCase{"NoLeadingDollar", "rs.sym", "/w/", {"/w/rs.sym"}},
                      LinesCase{"Empty", "", "/w/", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The page in a run ----

struct SummarySeen {
  std::vector<std::string> files;
  std::map<std::string, std::string> texts;  // object name -> text
  std::map<std::string, std::string> names;  // object name -> accessible name
  QSize picture;
};

// Reads what the Summary page shows.
SummarySeen ReadSummary(QWidget& window) {
  SummarySeen seen;
  auto* list = window.findChild<QListWidget*>("fileList");
  for (int i = 0; list && i < list->count(); ++i) {
    seen.files.push_back(list->item(i)->text().toStdString());
  }
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (!label->pixmap().isNull()) seen.picture = label->pixmap().size();
    if (!label->text().isEmpty()) {
      seen.texts[label->objectName().toStdString()] = label->text().toStdString();
    }
  }
  for (QWidget* child : window.findChildren<QWidget*>()) {
    seen.names[child->objectName().toStdString()] = child->accessibleName().toStdString();
  }
  return seen;
}

class SummaryRunTest : public ::testing::Test {
 protected:
  int Run(WizardApp& app, const std::vector<std::string>& args, ModalDriver& driver) {
    const int status = app.Run(args);
    driver.Finish();
    return status;
  }

  FakeServices fake;
  SummarySeen summary;
  ModalDriver::Inspector read = [this](QWidget& window) { summary = ReadSummary(window); };
};

struct SymbolCase {
  std::vector<std::string> args;
  std::vector<std::string> files;
};

class SummaryListTest : public SummaryRunTest, public ::testing::WithParamInterface<SymbolCase> {};

TEST_P(SummaryListTest, ListsTheVariationsFiles) {
  TestApp app(fake.services, {}, true);
  ModalDriver driver;
  driver.Click("finishButton").Inspect(read);
  EXPECT_EQ(Run(app, GetParam().args, driver), 0);
  EXPECT_EQ(summary.files, GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SummaryListTest,
    ::testing::Values(SymbolCase{{"-n", "/work/x/rs.vhd"},
                                 {"/work/x/rs.vhd", "/work/x/rs.inc", "/work/x/rs.cmp"}},
                      SymbolCase{
                          {"-n", "-symbol", "/work/x/rs.vhd"},
                          {"/work/x/rs.vhd", "/work/x/rs.inc", "/work/x/rs.cmp", "/work/x/rs.sym"}},
                      SymbolCase{{"-n", "codec.v"}, {"codec.v", "codec.inc", "codec.cmp"}}));

TEST_F(SummaryRunTest, ShowsItsTextsPictureAndNames) {
  TestApp app(fake.services, {}, true);
  ModalDriver driver;
  driver.PressEscape().Inspect(read);
  EXPECT_EQ(Run(app, {"-n", "/work/x/rs.tdf"}, driver), 2);

  EXPECT_EQ(summary.texts["finishText"], kSummaryFinishText);
  EXPECT_EQ(summary.texts["symbolText"], kSummarySymbolText);
  EXPECT_EQ(summary.texts["filesText"], kSummaryFilesText);
  EXPECT_EQ(summary.names["fileList"], kSummaryFilesText);
  for (const char* text : {"finishText", "symbolText", "filesText"}) {
    EXPECT_EQ(summary.names[text], summary.texts[text]);
  }
  EXPECT_GT(summary.picture.height(), 2 * summary.picture.width()) << "a tall picture";
  EXPECT_EQ(driver.seen().at(0).title.toStdString(), PageTitle(1, 1) + " -- Summary");
}

TEST_F(SummaryRunTest, EnterActsAsNextAndNotifies) {
  TestApp app(fake.services, Pages(2), true);
  ModalDriver driver;
  driver.Click("nextButton").Click("nextButton").PressEnter().Inspect(read);
  EXPECT_EQ(Run(app, {"-n", "-h9", "-x700", "-y500", "/work/x/rs.tdf"}, driver), 0);
  const ModalSeen& last = driver.seen().at(2);
  EXPECT_EQ(last.title.toStdString(), PageTitle(3, 3) + " -- Summary");
  EXPECT_FALSE(last.Button("nextButton")->enabled);
  EXPECT_TRUE(last.Button("finishButton")->is_default);
  EXPECT_EQ(last.focus, "fileList");
  EXPECT_EQ(fake.notifier.posted.size(), 3u);
  EXPECT_EQ(fake.notifier.posted.back(), (Notification{9, 1034, 700, 500}));
  EXPECT_EQ(fake.files.written, std::vector<std::string>{"/work/x/rs.cnx"});
}

}  // namespace
}  // namespace codexel::testing
