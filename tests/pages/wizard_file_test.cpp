// The wizard information file's life on a real file system: written on
// Finish and on Back out of the first page, replaced whole or not at all,
// deleted on Cancel (kept as a backup in edit mode); a file that cannot be
// written ends the run with 1.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <sstream>

#include "platform/qt_services.h"
#include "tests/pages/page_test_support.h"
#include "tests/support/modal_helper.h"
#include "tests/support/test_files.h"

namespace codexel::testing {
namespace {

constexpr const char* kEmptyBlock = "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: default\n\n";

class WizardFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  std::string Path(const std::string& name) const {
    return dir_.filePath(QString::fromStdString(name)).toStdString();
  }

  int Run(std::vector<std::string> args, ModalDriver& driver, int pages = 2) {
    TestApp app(services_, Pages(pages));
    args.push_back(Path("rs.tdf"));
    const int status = app.Run(args);
    driver.Finish();
    return status;
  }

  // Names in the directory, to see that no temporary file is left.
  QStringList Entries() const { return QDir(dir_.path()).entryList(QDir::Files); }

  QTemporaryDir dir_;
  FakeServices fake_;
  PosixFileSystem files_;
  PlatformServices services_{fake_.messages, fake_.notifier, fake_.metrics, files_, fake_.process};
};

struct WriteCase {
  const char* name;
  int pages;
  std::vector<std::string> args;
  std::vector<const char*> clicks;
  int status;
};

class WrittenTest : public WizardFileTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WrittenTest, ReplacesAnExistingFileWhole) {
  WriteText(Path("rs.cnx"), "PRIVATE: Enc_Dec NUMERIC \"0\"\n" + std::string(400, '#') + "\n");
  ModalDriver driver;
  for (const char* click : GetParam().clicks) driver.Click(click);
  EXPECT_EQ(Run(GetParam().args, driver, GetParam().pages), GetParam().status);
  EXPECT_EQ(ReadFile(Path("rs.cnx")), kEmptyBlock);
  EXPECT_EQ(Entries(), QStringList{"rs.cnx"});
  EXPECT_TRUE(fake_.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, WrittenTest,
    ::testing::Values(WriteCase{"Finish", 2, {"-n"}, {"nextButton", "finishButton"}, 0},
                      WriteCase{"NextOnLast", 1, {"-n"}, {"nextButton"}, 0},
                      WriteCase{"BackOutOfFirst", 2, {"-n", "-p1"}, {"backButton"}, -1},
                      WriteCase{"EditMode", 2, {}, {"finishButton"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardFileTest, NewFileIsCreated) {
  ModalDriver driver;
  driver.Click("finishButton");
  EXPECT_EQ(Run({"-n"}, driver), 0);
  EXPECT_EQ(ReadFile(Path("rs.cnx")), kEmptyBlock);
}

TEST_F(WizardFileTest, CancelInEditModeKeepsTheFileThatWasReadAsABackup) {
  const std::string block = "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: RS_Enc\n\n";
  WriteText(Path("rs.cnx"), block);
  WriteText(Path("rs.cnx.bak"), "an older backup\n");
  ModalDriver driver;
  driver.Click("nextButton").PressEscape();
  EXPECT_EQ(Run({}, driver), 2);
  EXPECT_EQ(Entries(), QStringList{"rs.cnx.bak"});
  EXPECT_EQ(ReadFile(Path("rs.cnx.bak")), block);
  EXPECT_TRUE(fake_.messages.shown.empty());
}

TEST_F(WizardFileTest, FailedOpenIsReportedAndEndsWithOne) {
  ModalDriver driver;
  driver.Click("finishButton");
  TestApp app(services_, Pages(1));
  const std::string design = Path("missing/rs.tdf");
  EXPECT_EQ(app.Run({"-n", design}), 1);
  driver.Finish();
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(fake_.messages.shown[0],
            (Message{"Quillwork Plug-In Manager", "Can't write file " + Path("missing/rs.cnx")}));
}

TEST_F(WizardFileTest, FailedWriteKeepsTheOldFileAndIsReported) {
  const std::string old_text = "MODULE: RS_Enc\n";
  WriteText(Path("rs.cnx"), old_text);
  ModalDriver driver;
  driver.Click("finishButton");
  int status = -5;
  {
    const FileSizeLimit limit(16);  // the block needs more
    status = Run({"-n"}, driver);
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadFile(Path("rs.cnx")), old_text);
  EXPECT_EQ(Entries(), QStringList{"rs.cnx"}) << "no temporary file is left behind";
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(fake_.messages.shown[0],
            (Message{"Quillwork Plug-In Manager", "Can't write file " + Path("rs.cnx")}));
}

TEST_F(WizardFileTest, FailedWriteOfANewFileLeavesNoFile) {
  ModalDriver driver;
  driver.Click("backButton");
  int status = 0;
  {
    const FileSizeLimit limit(16);
    status = Run({"-n", "-p3"}, driver);
  }
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(Entries().isEmpty());
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(fake_.messages.shown[0].text, "Can't write file " + Path("rs.cnx"));
}

// The same failures through the file system double: the host reports them
// whatever the cause.
struct DoubleCase {
  const char* name;
  bool fail_open;
};

class DoubleFailureTest : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(DoubleFailureTest, ReportsCantWriteAndEndsWithOne) {
  FakeServices fake;
  fake.files.files["/w/rs.cnx"] = "old";
  (GetParam().fail_open ? fake.files.fail_open : fake.files.fail_write)["/w/rs.cnx"] = true;
  TestApp app(fake.services, Pages(1));
  ModalDriver driver;
  driver.Click("finishButton");
  EXPECT_EQ(app.Run({"-n", "/w/rs.vhd"}), 1);
  driver.Finish();
  EXPECT_EQ(fake.files.files["/w/rs.cnx"], "old");
  EXPECT_EQ(fake.messages.shown,
            (std::vector<Message>{{"Quillwork Plug-In Manager", "Can't write file /w/rs.cnx"}}));
}

INSTANTIATE_TEST_SUITE_P(Failures, DoubleFailureTest,
                         ::testing::Values(DoubleCase{"Open", true}, DoubleCase{"Write", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace codexel::testing
