#include "host/wizard_app.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>

#include "tests/support/fakes.h"

namespace codexel {
namespace {

using testing::FakeServices;
using testing::HelpShown;
using testing::MemoryFileSystem;
using testing::Message;
using testing::ProcessExit;

constexpr const char* kHost = "Quillwork Plug-In Manager";

// What a scripted page saw; it outlives the page, which the app destroys.
struct PageLog {
  std::vector<std::string> titles;
  std::vector<int> kinds;
  int showings = 0;
  int loads = 0;
  int stores = 0;
};

// A page that answers the loop from a script instead of a window.
class ScriptedPage : public PageInterface {
 public:
  ScriptedPage(std::deque<int> results, bool shown, std::shared_ptr<PageLog> log)
      : results_(std::move(results)), shown_(shown), log_(std::move(log)) {}
  void SetTitle(const std::string& title) override { log_->titles.push_back(title); }
  void SetPositionKind(int kind) override { log_->kinds.push_back(kind); }
  bool IsPageShown() override { return shown_; }
  int ShowModal() override {
    ++log_->showings;
    EXPECT_FALSE(results_.empty()) << "page shown more often than scripted";
    if (results_.empty()) return kNavCancel;
    const int result = results_.front();
    results_.pop_front();
    return result;
  }
  void LoadFromModel() override { ++log_->loads; }
  void StoreIntoModel() override { ++log_->stores; }

 private:
  std::deque<int> results_;
  bool shown_;
  std::shared_ptr<PageLog> log_;
};

class TestApp : public WizardApp {
 public:
  explicit TestApp(FakeServices& fakes) : WizardApp("Codexel V1.00", nullptr, fakes.services) {}
  std::shared_ptr<PageLog> Add(std::deque<int> results, bool shown = true) {
    auto log = std::make_shared<PageLog>();
    pending_.push_back(std::make_unique<ScriptedPage>(std::move(results), shown, log));
    return log;
  }
  bool Begin() override {
    for (auto& page : pending_) AddPage(std::move(page));
    pending_.clear();
    return WizardApp::Begin();
  }
  bool MayFinish() override { return finish_answers_ <= 0 || --finish_answers_ < 0; }
  int finish_answers_ = 0;  // how many Finish requests to refuse

 private:
  std::vector<std::unique_ptr<ScriptedPage>> pending_;
};

class WizardAppTest : public ::testing::Test {
 protected:
  FakeServices fakes_;
  TestApp app_{fakes_};
};

// ---- Start-up ----

TEST_F(WizardAppTest, NoDesignFileRefusesTheStart) {
  EXPECT_EQ(app_.Run({}), 1);
  EXPECT_EQ(fakes_.messages.shown,
            (std::vector<Message>{
                {kHost, "Can't start the wizard -- no design file has been specified"}}));
}

TEST_F(WizardAppTest, BlankDesignPathCountsAsNone) {
  EXPECT_EQ(app_.Run({"   "}), 1);
  ASSERT_EQ(fakes_.messages.shown.size(), 1u);
  EXPECT_EQ(fakes_.messages.shown[0].text,
            "Can't start the wizard -- no design file has been specified");
}

TEST_F(WizardAppTest, WithoutPagesTheStartEndsAfterTheUsage) {
  WizardApp bare("Codexel V1.00", nullptr, fakes_.services);
  EXPECT_EQ(bare.Run({"-q", "-n", "/tmp/x/rs.tdf"}), 1);
  EXPECT_EQ(fakes_.messages.shown, (std::vector<Message>{{kHost, kUsageMessage},
                                                         {kHost, "Wizard has no valid pages"}}));
}

class ExtensionTest : public WizardAppTest,
                      public ::testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(ExtensionTest, OnlyTheThreeDesignExtensionsStart) {
  const auto [path, accepted] = GetParam();
  app_.Add({kNavFinish});
  const int status = app_.Run({"-n", path});
  if (accepted) {
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fakes_.messages.shown.empty());
  } else {
    EXPECT_EQ(status, 1);
    EXPECT_EQ(fakes_.messages.shown,
              (std::vector<Message>{
                  {kHost, "Can't start the wizard -- illegal extension in design file name"}}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExtensionTest,
    ::testing::Values(std::pair{"c:\\work\\rs.tdf", true}, std::pair{"/w/rs.vhd", true},
                      std::pair{"rs.v", true}, std::pair{" c:\\work\\rs.tdf", true},
                      std::pair{"c:\\work\\rs.TDF", false}, std::pair{"c:\\work\\rs", false},
                      std::pair{"rs.vhdl", false}, std::pair{"rs.", false},
                      std::pair{"1234", false}));

TEST_F(WizardAppTest, DesignPathIsSplitIntoTheSharedValues) {
  app_.Add({kNavFinish});
  app_.Run({"-n", "  d:/proj/codec.tdf"});
  EXPECT_EQ(app_.design_path(), "d:/proj/codec.tdf");
  EXPECT_EQ(app_.host().design_directory, "d:/proj/");
  EXPECT_EQ(app_.host().design_base_name, "codec");
  EXPECT_EQ(app_.design_extension(), ".tdf");
  EXPECT_EQ(app_.WizardFilePath(), "d:/proj/codec.cnx");
  EXPECT_EQ(app_.help_file_path(), "/opt/codexel/bin/codexel.hlp");
}

TEST_F(WizardAppTest, EditModeWithoutAFileRefusesTheStart) {
  app_.Add({kNavFinish});
  EXPECT_EQ(app_.Run({"c:\\work\\rs.tdf"}), 1);
  EXPECT_EQ(fakes_.messages.shown,
            (std::vector<Message>{{kHost, "Can't open file c:\\work\\rs.cnx"}}));
}

TEST_F(WizardAppTest, EditModeReadsTheFileAndLoadsThePages) {
  fakes_.files.files["/w/rs.cnx"] = "PRIVATE: Enc_Dec NUMERIC \"0\"\n";
  auto page = app_.Add({kNavCancel});
  EXPECT_EQ(app_.Run({"/w/rs.tdf"}), kNavCancel);
  EXPECT_EQ(page->loads, 1);
  EXPECT_EQ(app_.model().private_values.GetNumeric("Enc_Dec", 1), 0);
  // Cancel takes the file that was read at start away, and keeps it as a
  // backup in place of an older one.
  EXPECT_FALSE(fakes_.files.Exists("/w/rs.cnx"));
  EXPECT_EQ(fakes_.files.files["/w/rs.cnx.bak"], "PRIVATE: Enc_Dec NUMERIC \"0\"\n");
}

TEST_F(WizardAppTest, CancelInEditModeReplacesAnOlderBackup) {
  fakes_.files.files["/w/rs.cnx"] = "edited variation";
  fakes_.files.files["/w/rs.cnx.bak"] = "older backup";
  app_.Add({kNavCancel});
  EXPECT_EQ(app_.Run({"/w/rs.tdf"}), kNavCancel);
  EXPECT_EQ(fakes_.files.files,
            (std::map<std::string, std::string>{{"/w/rs.cnx.bak", "edited variation"}}));
}

TEST_F(WizardAppTest, NewFileModeNeverReads) {
  fakes_.files.files["/w/rs.cnx"] = "PRIVATE: Enc_Dec NUMERIC \"0\"\n";
  auto page = app_.Add({kNavFinish});
  app_.Run({"-n", "/w/rs.tdf"});
  EXPECT_EQ(page->loads, 0);
  EXPECT_EQ(fakes_.files.files["/w/rs.cnx"],
            "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: default\n\n");
}

TEST_F(WizardAppTest, PlacementFromTheCommandLine) {
  app_.Add({kNavFinish});
  app_.Run({"-n", "-x600", "rs.tdf"});
  EXPECT_TRUE(app_.host().placement_flag);
  EXPECT_EQ(app_.host().placement_x, 600);
  EXPECT_EQ(app_.host().placement_y, 100);
}

TEST_F(WizardAppTest, NotificationOnlyWithH) {
  app_.Add({kNavFinish});
  app_.Run({"-n", "-h4321", "-x600", "-y400", "rs.tdf"});
  app_.NotifyCaller();
  EXPECT_EQ(fakes_.notifier.posted, (std::vector<testing::Notification>{{4321, 1034, 600, 400}}));

  FakeServices quiet;
  TestApp silent(quiet);
  silent.Add({kNavFinish});
  silent.Run({"-n", "rs.tdf"});
  silent.NotifyCaller();
  EXPECT_TRUE(quiet.notifier.posted.empty());
}

// ---- Page loop ----

TEST_F(WizardAppTest, TitlesAndPositionKindsWithoutOffset) {
  auto p1 = app_.Add({kNavNext});
  auto p2 = app_.Add({kNavNext});
  auto p3 = app_.Add({kNavNext});
  EXPECT_EQ(app_.Run({"-n", "rs.tdf"}), kNavFinish);
  EXPECT_EQ(p1->titles[0], "Quillwork Plug-In Manager - CODEXEL V1.00 [page 1 of 3]");
  EXPECT_EQ(p3->titles[0], "Quillwork Plug-In Manager - CODEXEL V1.00 [page 3 of 3]");
  EXPECT_EQ(p1->kinds, std::vector<int>{kFirstPage});
  EXPECT_EQ(p2->kinds, std::vector<int>{kMiddlePage});
  EXPECT_EQ(p3->kinds, std::vector<int>{kLastPage});
  EXPECT_TRUE(fakes_.files.Exists("rs.cnx")) << "Next on the last page finishes";
}

TEST_F(WizardAppTest, OffsetShiftsNumbersAndAllowsBackOut) {
  auto p1 = app_.Add({kNavBack});
  for (int i = 0; i < 4; ++i) app_.Add({});
  EXPECT_EQ(app_.Run({"-n", "-p2", "/w/rs.tdf"}), kNavBack);
  EXPECT_EQ(p1->titles[0], "Quillwork Plug-In Manager - CODEXEL V1.00 [page 3 of 7]");
  EXPECT_EQ(p1->kinds, std::vector<int>{kFirstAfterCallerPages});
  EXPECT_TRUE(fakes_.files.Exists("/w/rs.cnx")) << "Back out of the first page writes the file";
}

TEST_F(WizardAppTest, OnePageWizardGetsTheFirstPageKind) {
  auto only = app_.Add({kNavNext});
  EXPECT_EQ(app_.Run({"-n", "rs.tdf"}), kNavFinish);
  EXPECT_EQ(only->kinds, std::vector<int>{kFirstPage});
}

TEST_F(WizardAppTest, FinishOnAnyPageEndsAtOnce) {
  auto p1 = app_.Add({kNavNext});
  auto p2 = app_.Add({kNavFinish});
  auto p3 = app_.Add({});
  EXPECT_EQ(app_.Run({"-n", "rs.tdf"}), kNavFinish);
  EXPECT_EQ(p1->showings, 1);
  EXPECT_EQ(p2->showings, 1);
  EXPECT_EQ(p3->showings, 0);
  EXPECT_EQ(p1->stores, 1) << "the host's store step asks every page";
}

TEST_F(WizardAppTest, CancelDeletesAndWritesNothing) {
  fakes_.files.files["rs.cnx"] = "old";
  app_.Add({kNavNext});
  app_.Add({kNavCancel});
  EXPECT_EQ(app_.Run({"-n", "rs.tdf"}), kNavCancel);
  EXPECT_FALSE(fakes_.files.Exists("rs.cnx"));
  EXPECT_TRUE(fakes_.files.written.empty());
}

TEST_F(WizardAppTest, BackAndNextWalkThePages) {
  auto p1 = app_.Add({kNavNext, kNavNext});
  auto p2 = app_.Add({kNavBack, kNavNext});
  app_.Add({kNavFinish});
  EXPECT_EQ(app_.Run({"-n", "rs.tdf"}), kNavFinish);
  EXPECT_EQ(p1->showings, 2);
  EXPECT_EQ(p2->showings, 2);
}

TEST_F(WizardAppTest, HiddenPageIsPassedOverInBothDirections) {
  auto p1 = app_.Add({kNavNext, kNavNext});
  auto hidden = app_.Add({}, /*shown=*/false);
  auto p3 = app_.Add({kNavBack, kNavNext});
  EXPECT_EQ(app_.Run({"-n", "rs.tdf"}), kNavFinish);
  EXPECT_EQ(hidden->showings, 0);
  EXPECT_EQ(hidden->titles.size(), 3u) << "titled on each pass, never shown";
  EXPECT_EQ(p1->showings, 2);
  EXPECT_EQ(p3->showings, 2);
}

TEST_F(WizardAppTest, RefusedFinishShowsTheSamePageAgain) {
  app_.finish_answers_ = 1;
  auto p1 = app_.Add({kNavFinish, kNavFinish});
  app_.Add({});
  EXPECT_EQ(app_.Run({"-n", "rs.tdf"}), kNavFinish);
  EXPECT_EQ(p1->showings, 2);
}

// ---- The wizard information file ----

// A file that cannot be written is reported, and the exit status 1 keeps
// the caller from building a variation from a stale or missing file.
struct WriteFailureCase {
  const char* name;
  std::map<std::string, bool> MemoryFileSystem::*failure;
  int navigation;
  std::vector<std::string> args;
};

class WriteFailureTest : public WizardAppTest,
                         public ::testing::WithParamInterface<WriteFailureCase> {};

TEST_P(WriteFailureTest, IsReportedAndEndsWithOne) {
  const WriteFailureCase& c = GetParam();
  fakes_.files.files["/w/rs.cnx"] = "previous variation";
  (fakes_.files.*c.failure)["/w/rs.cnx"] = true;
  app_.Add({c.navigation});
  EXPECT_EQ(app_.Run(c.args), 1);
  EXPECT_EQ(fakes_.messages.shown, (std::vector<Message>{{kHost, "Can't write file /w/rs.cnx"}}));
  EXPECT_EQ(fakes_.files.files,
            (std::map<std::string, std::string>{{"/w/rs.cnx", "previous variation"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, WriteFailureTest,
    ::testing::Values(
        WriteFailureCase{"Open", &MemoryFileSystem::fail_open, kNavBack, {"-n", "-p1", "/w/rs.tdf"}},
        WriteFailureCase{"Write", &MemoryFileSystem::fail_write, kNavFinish, {"-n", "/w/rs.tdf"}},
        WriteFailureCase{"PutInPlace", &MemoryFileSystem::fail_commit, kNavFinish,
                         {"/w/rs.tdf"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Host services ----

TEST_F(WizardAppTest, HelpNeedsTheHelpFile) {
  app_.Add({kNavCancel});
  app_.Run({"-n", "rs.tdf"});
  app_.OnHelp();
  EXPECT_EQ(fakes_.messages.shown,
            (std::vector<Message>{
                {kHost, "Can't find the Vortalis help file /opt/codexel/bin/codexel.hlp"}}));
  fakes_.files.files["/opt/codexel/bin/codexel.hlp"] = "help";
  app_.OnHelp();
  EXPECT_EQ(fakes_.help.shown,
            (std::vector<HelpShown>{{"/opt/codexel/bin/codexel.hlp", "help", ""}}));
  EXPECT_EQ(fakes_.messages.shown.size(), 1u);
}

// What F1 finds beside the program, and what it shows.
struct HelpCase {
  const char* name;
  std::string executable;
  std::optional<std::string> file;  // at the help path; none: missing
  std::map<std::string, bool> MemoryFileSystem::*fails;  // how reading it fails, if at all
  std::string message;  // the box; empty when the help is shown
};

void PrintTo(const HelpCase& c, std::ostream* out) { *out << c.name; }

const std::string kHelpPath = "/opt/codexel/bin/codexel.hlp";
// Bytes beyond ASCII, a NUL, and more than one read's worth.
const std::string kHelpText = "<h2><a name=\"summary\">S\xc3\xbcmmary</a></h2>" +
                              std::string(1, '\0') + std::string(20000, 'x');
// A program so deep that its help path is cut at 259 characters.
const std::string kDeepProgram = "/" + std::string(255, 'd') + "/codexel";

class HelpTest : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpTest, ShowsTheFileAtThePagesSectionOrSaysWhyNot) {
  const HelpCase& c = GetParam();
  FakeServices fakes;
  fakes.process.executable_path = c.executable;
  TestApp app(fakes);
  app.Add({kNavCancel});
  app.Run({"-n", "rs.tdf"});
  const std::string path = app.help_file_path();
  if (c.file) fakes.files.files[path] = *c.file;
  if (c.fails) (fakes.files.*c.fails)[path] = true;

  app.OnHelp("summary");
  if (c.message.empty()) {
    EXPECT_TRUE(fakes.messages.shown.empty());
    EXPECT_EQ(fakes.help.shown, (std::vector<HelpShown>{{path, *c.file, "summary"}}));
  } else {
    EXPECT_EQ(fakes.messages.shown, (std::vector<Message>{{kHost, c.message}}));
    EXPECT_TRUE(fakes.help.shown.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, HelpTest,
    ::testing::Values(
        HelpCase{"Shown", "/opt/codexel/bin/codexel", kHelpText, nullptr, ""},
        HelpCase{"AtTheSizeLimit", "/opt/codexel/bin/codexel",
                 std::string(WizardApp::kMaxHelpBytes, 'h'), nullptr, ""},
        HelpCase{"Missing", "/opt/codexel/bin/codexel", std::nullopt, nullptr,
                 "Can't find the Vortalis help file " + kHelpPath},
        HelpCase{"CannotBeOpened", "/opt/codexel/bin/codexel", kHelpText,
                 &MemoryFileSystem::fail_read_open, "Can't read the Vortalis help file " + kHelpPath},
        HelpCase{"ReadFails", "/opt/codexel/bin/codexel", kHelpText, &MemoryFileSystem::fail_read,
                 "Can't read the Vortalis help file " + kHelpPath},
        HelpCase{"BeyondTheSizeLimit", "/opt/codexel/bin/codexel",
                 std::string(WizardApp::kMaxHelpBytes + 1, 'h'), nullptr,
                 "Can't read the Vortalis help file " + kHelpPath},
        HelpCase{"PathCutAt259", kDeepProgram, std::nullopt, nullptr,
                 "Can't find the Vortalis help file " + (kDeepProgram + ".hlp").substr(0, 259)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardAppTest, CheckNotNullEndsTheProcess) {
  app_.SetDesignPath("/w/rs.tdf");
  int dummy = 0;
  app_.CheckNotNull(&dummy);
  EXPECT_TRUE(fakes_.messages.shown.empty());
  try {
    app_.CheckNotNull(nullptr);
    FAIL() << "the process should have ended";
  } catch (const ProcessExit& exit) {
    EXPECT_EQ(exit.status, 1);
  }
  EXPECT_EQ(fakes_.messages.shown,
            (std::vector<Message>{{"rs - Codexel V1.00", kFatalErrorMessage}}));
}

TEST_F(WizardAppTest, ProgramTitleIsCutAt63Characters) {
  WizardApp long_title(std::string(80, 't'), nullptr, fakes_.services);
  EXPECT_EQ(long_title.program_title().size(), 63u);
}

// ---- FitDesignName ----

struct FitCase {
  std::string name;
  int width;
  std::string expected;
};

class FitDesignNameTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitDesignNameTest, ShortensWithAnEllipsis) {
  testing::FakeTextMetrics metrics(6);  // 6 pixels a character
  EXPECT_EQ(FitDesignName(metrics, GetParam().name, GetParam().width, {"Arial", 10}),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitDesignNameTest,
    ::testing::Values(FitCase{"rsenc", 30, "rsenc"},        // exactly fits
                      FitCase{"rsencoder", 30, "rs..."},     // 5 characters fit
                      FitCase{"rsencoder", 29, "r..."},
                      FitCase{"rsencoder", 18, "..."},       // the name runs out, "..." fits
                      FitCase{"rsencoder", 17, ""},          // not even "..." fits
                      FitCase{"", 0, ""},
                      FitCase{std::string(254, 'a'), 100000, std::string(254, 'a')},
                      FitCase{std::string(255, 'a'), 100000, ""},
                      // A multi-byte character is removed whole, never split.
                      FitCase{"ab\xC3\xA9\xC3\xA9x", 41, "ab..."}));

}  // namespace
}  // namespace codexel
