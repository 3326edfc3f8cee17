// Whole runs in which the RS pages' controls are operated every way Qt
// offers (mouse, keyboard, accessible action, the program's setter) in a
// seeded random order: after each step the widgets must show what the set
// holds, and Finish must write what the pages showed.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>
#include <tuple>

#include "app/batch_generator.h"
#include "hdl/design_files.h"
#include "host/number_text.h"
#include "platform/posix_files.h"
#include "rs_engine/rs_wizard_app.h"
#include "rs_pages/rs_page_factory.h"
#include "tests/support/fakes.h"
#include "tests/support/modal_helper.h"
#include "tests/support/page_checks.h"
#include "tests/support/parameter_sets.h"
#include "tests/support/test_files.h"

namespace codexel {
namespace {

using testing::Get;
using testing::Marked;

// A checkable control and the flag value its mark stands for.
struct Choice {
  const char* name;
  int RsParameters::*flag;
  int value;
};
constexpr Choice kDevice[] = {
    {"encoderButton", &RsParameters::Enc_Dec, 1},   {"decoderButton", &RsParameters::Enc_Dec, 0},
    {"standardButton", &RsParameters::Eras_Stnd, 0}, {"erasureButton", &RsParameters::Eras_Stnd, 1},
    {"discreteButton", &RsParameters::Disc_Stream, 1},
    {"streamingButton", &RsParameters::Disc_Stream, 0},
    {"fullButton", &RsParameters::Fast_Small, 1},    {"halfButton", &RsParameters::Fast_Small, 0}};
constexpr Choice kExtra[] = {{"generateVectorFileBox", &RsParameters::generate_vectorfile, 1},
                             {"megasymbolsButton", &RsParameters::Msym_Mbit, 1},
                             {"megabitsButton", &RsParameters::Msym_Mbit, 0}};
const char* const kFields[] = {"bitsField", "symbolsField", "checksField", "polynomialField",
                               "firstRootField"};
const char* const kTexts[] = {"12", "3", "", "x", "6", "8", "300", "20", "255", "16", "-1", " 7"};

// The pages operated in a random order; the seed is the test's.
class OperatedPages : public ::testing::Test {
 protected:
  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

  // Marks a radio button, or flips a check box, one of the four ways.
  void Operate(QWidget& window, const char* name) {
    auto& button = Get<QAbstractButton>(window, name);
    switch (Pick(4)) {
      case 0: testing::ClickButton(window, name); break;
      case 1: button.setFocus(); QTest::keyClick(&button, Qt::Key_Space); break;
      case 2:
        QAccessible::queryAccessibleInterface(&button)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        break;
      default:
        if (button.isEnabled()) button.setChecked(button.autoExclusive() || !button.isChecked());
    }
  }

  template <std::size_t N>
  void CheckablePage(QWidget& window, const Choice (&choices)[N], int steps) {
    for (int step = 0; step < steps; ++step) {
      // The device page ends on a decoder, so that the unit buttons work.
      Operate(window, step == steps - 1 && N == 8 ? "decoderButton" : choices[Pick(N)].name);
      for (const Choice& choice : choices) {
        EXPECT_EQ(Marked(window, choice.name), app_.parameters().*choice.flag == choice.value)
            << choice.name << " at step " << step;
      }
    }
  }

  // Types (or sets) a value and moves the focus on one of four ways, or
  // picks the next item with the arrow key.
  void ParametersPage(QWidget& window) {
    for (int step = 0; step < 30; ++step) {
      const int field = Pick(5);
      auto& combo = Get<QComboBox>(window, kFields[field]);
      auto& cancel = Get(window, "cancelButton");
      combo.setFocus(Qt::TabFocusReason);
      const int how = Pick(6);
      if (how == 5) {
        QTest::keyClick(&combo, Qt::Key_Down);
      } else {
        const char* text = kTexts[Pick(static_cast<int>(std::size(kTexts)))];
        if (how == 4) {
          combo.setEditText(text);
        } else {
          combo.lineEdit()->selectAll();
          QTest::keyClick(&combo, Qt::Key_Backspace);
          QTest::keyClicks(&combo, text);
        }
        if (how == 0) QTest::keyClick(&combo, Qt::Key_Tab);
        if (how == 1) QTest::mouseClick(&Get(window, kFields[(field + 1 + Pick(4)) % 5]), Qt::LeftButton);
        if (how == 2 || how == 4) {  // pressed on "Cancel", released off it
          QTest::mousePress(&cancel, Qt::LeftButton, {}, cancel.rect().center());
          if (Pick(2)) QTest::mouseMove(&cancel, QPoint(-30, -30));
          QTest::mouseRelease(&cancel, Qt::LeftButton, {}, QPoint(-30, -30));
        }
        if (how == 3) QTest::keyClick(&combo, Qt::Key_Backtab);
      }
      QCoreApplication::processEvents();
      const RsParameters& p = app_.parameters();
      const int values[] = {p.m, p.n, p.r, p.irrpol, p.genstart};
      for (int i = 0; i < 5; ++i) {
        // A text is kept only when it passed its check, and read as the check reads it.
        const std::string text = Get<QComboBox>(window, kFields[i]).currentText().toStdString();
        EXPECT_TRUE(IsIntegerText(text) && ToInteger(text) == values[i])
            << kFields[i] << " shows '" << text << "', the set holds " << values[i] << " (step "
            << step << ", way " << how << ")";
      }
    }
  }

  std::mt19937 random_;
  testing::RecordingMessages boxes_;  // answered at once
  testing::RecordingNotifier notifier_;
  testing::FakeTextMetrics metrics_;
  PosixFileSystem files_;
  testing::FakeProcess process_;
  PlatformServices services_{boxes_, notifier_, metrics_, files_, process_};
  QtRsPageFactory pages_;
  RsWizardApp app_{services_, &pages_};
};

class OperatedPagesTest : public OperatedPages, public ::testing::WithParamInterface<unsigned> {
 protected:
  void SetUp() override { random_.seed(GetParam()); }
};

TEST_P(OperatedPagesTest, FinishWritesWhatThePagesShowed) {
  QTemporaryDir dir;
  const std::string design = dir.filePath("rs.tdf").toStdString();
  std::string shown;  // the lines the file should hold, as the pages showed them
  testing::ModalDriver driver(std::chrono::seconds(30));
  driver.Click("nextButton").Inspect([&](QWidget& w) {
    CheckablePage(w, kDevice, 24);
    shown = "MODULE: " + ModuleName(app_.parameters()) + "\n";
    EXPECT_EQ(app_.host().module_name, ModuleName(app_.parameters()));
  });
  driver.Click("nextButton").Inspect([&](QWidget& w) {
    ParametersPage(w);
    const char* names[] = {"CONSTANT: m ", "CONSTANT: n ", "CONSTANT: check ",
                           "CONSTANT: irrpol ", "PRIVATE: GENSTART_V "};
    for (int i = 0; i < 5; ++i) {
      const std::string text = Get<QComboBox>(w, kFields[i]).currentText().toStdString();
      shown += std::string(names[i]) + "NUMERIC \"" + FormatInt(ToInteger(text)) + "\"\n";
    }
  });
  driver.Click("finishButton").Inspect([&](QWidget& w) {
    QTest::keyClicks(&Get(w, "frequencyField"), "100");
    testing::ClickButton(w, "calculateButton");
    CheckablePage(w, kExtra, 16);
    const bool megasymbols = Marked(w, "megasymbolsButton");
    EXPECT_TRUE(
        Get<QLineEdit>(w, "resultField").text().endsWith(megasymbols ? "Msym/s" : "Mbit/s"));
    EXPECT_EQ(Get(w, "vectorFileField").isEnabled(), Marked(w, "generateVectorFileBox"));
    if (Marked(w, "generateVectorFileBox")) shown += "rs.vec";
  });
  ASSERT_EQ(app_.Run({"-n", design}), 0);
  driver.Finish();

  const std::string block = testing::ReadFile(design.substr(0, design.size() - 4) + ".cnx");
  for (std::size_t from = 0, to; (to = shown.find('\n', from)) != std::string::npos; from = to + 1) {
    EXPECT_NE(block.find(shown.substr(from, to + 1 - from)), std::string::npos)
        << shown.substr(from, to - from);
  }
  EXPECT_EQ(std::filesystem::exists(dir.filePath("rs.vec").toStdString()),
            shown.ends_with("rs.vec"));
}

INSTANTIATE_TEST_SUITE_P(Seeds, OperatedPagesTest, ::testing::Range(1u, 7u));

// ---- The core as the design file ----

// What stands at the design path before the run, and when.
enum class Before { kNothing, kOwnCore, kUsersFile, kUsersFileAtFinish };

struct CoreCase {
  const char* name;
  const char* design;  // file name in the run's folder
  bool manager;        // started with -h
  Before before;
  bool offered;        // the box is enabled
};

constexpr CoreCase kCoreCases[] = {
    {"NewVerilog", "rs.v", false, Before::kNothing, true},
    {"EditedOverOwnCore", "rs.v", false, Before::kOwnCore, true},
    {"UsersFileStays", "rs.v", false, Before::kUsersFile, true},
    {"UsersFileAppearsBeforeFinish", "rs.v", false, Before::kUsersFileAtFinish, true},
    {"ManagerMakesIt", "rs.v", true, Before::kNothing, false},
    {"Zhdl", "rs.tdf", false, Before::kNothing, false},
};
constexpr const char* kUsersText = "module rs; // mine\nendmodule\n";

class CoreBoxTest : public OperatedPages,
                    public ::testing::WithParamInterface<std::tuple<CoreCase, unsigned>> {
 protected:
  // codexel-gen --hdl for `p` in `dir`: the design file's bytes.
  std::string GeneratedCore(const RsParameters& p, const QString& dir) {
    const std::string design = dir.toStdString() + "/rs.v";
    std::vector<std::string> args = {
        p.Enc_Dec == 1 ? "--encoder" : "--decoder", p.Eras_Stnd == 1 ? "--erasures" : "--standard",
        p.Disc_Stream == 1 ? "--discrete" : "--streaming", p.Fast_Small == 1 ? "--full" : "--half",
        "-m", FormatInt(p.m), "-n", FormatInt(p.n), "-r", FormatInt(p.r), "--irrpol", FormatInt(p.irrpol),
        "--genstart", FormatInt(p.genstart), "--hdl", design};
    if (p.Enc_Dec == 1) args.erase(args.begin() + 1, args.begin() + 4);
    std::ostringstream out, err;
    PosixFileSystem files;
    EXPECT_EQ(RunGenerator(args, [this]() -> TextMetrics& { return metrics_; }, files, out, err), 0)
        << err.str();
    return testing::ReadFile(design);
  }
};

TEST_P(CoreBoxTest, FinishWritesTheCoreExactlyWhenTheBoxIsOn) {
  const auto [c, seed] = GetParam();
  random_.seed(seed);
  QTemporaryDir dir, gen_dir;
  const std::string design = dir.filePath(c.design).toStdString();
  std::vector<std::string> args = {"-n", design};
  if (c.manager) args.insert(args.begin(), "-h7");
  const std::string linked = dir.filePath("real.v").toStdString();
  if (c.before == Before::kOwnCore) {  // a variation codexel-gen made, edited
    std::ostringstream out, err;
    ASSERT_EQ(RunGenerator({"--dvb", "--hdl", design}, [this]() -> TextMetrics& { return metrics_; },
                           files_, out, err),
              0);
    std::erase(args, std::string("-n"));
    // Its design file a link to a file of its own permissions: both stay.
    std::filesystem::rename(design, linked);
    std::filesystem::create_symlink("real.v", design);
    std::filesystem::permissions(linked, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write |
                                             std::filesystem::perms::others_read);
  }
  if (c.before == Before::kUsersFile) testing::WriteText(design, kUsersText);
  const bool starts_on = c.offered && c.before != Before::kUsersFile;

  testing::ModalDriver driver(std::chrono::seconds(30));
  driver.Click("nextButton").Inspect([&](QWidget& w) { CheckablePage(w, kDevice, 8); });
  driver.Click("nextButton");
  bool on = false;
  std::string figures;
  driver.Click("finishButton").Inspect([&](QWidget& w) {
    auto& box = Get<QAbstractButton>(w, "writeCoreBox");
    EXPECT_EQ(box.isEnabled(), c.offered);
    EXPECT_EQ(box.isChecked(), starts_on);
    EXPECT_EQ(box.accessibleName(), "Write the core into the design file");
    EXPECT_FALSE(box.toolTip().isEmpty());
    // Its mnemonic, Alt+W, acts as a click does (a moment later).
    const bool users = c.before == Before::kUsersFile;
    QTest::keyClick(&w, Qt::Key_W, Qt::AltModifier);
    const bool flipped = c.offered && !users ? !starts_on : false;
    for (int wait = 0; wait < 100 && box.isChecked() != flipped; ++wait) QTest::qWait(20);
    QTest::qWait(150);
    EXPECT_EQ(box.isChecked(), flipped);
    EXPECT_EQ(app_.write_core(), flipped);
    EXPECT_EQ(boxes_.shown.size(), users ? 1u : 0u) << "a refusal names the file";
    // With it an odd count of flips for seed 2, even for seed 3: the box ends on and off.
    for (int step = 0; step < 9 + static_cast<int>(seed); ++step) {
      const bool was = box.isChecked();
      const std::size_t boxes = boxes_.shown.size();
      Operate(w, "writeCoreBox");
      EXPECT_EQ(box.isChecked(), app_.write_core()) << "step " << step;
      // The written core's figures under the box while it is on.
      EXPECT_EQ(Get<QLabel>(w, "coreFiguresLabel").text().isEmpty(), !box.isChecked()) << "step " << step;
      if (!c.offered) {
        EXPECT_FALSE(box.isChecked()) << "step " << step;
      }
      if (c.before == Before::kUsersFile) {
        EXPECT_FALSE(box.isChecked()) << "step " << step;
        // Every attempt to turn it on names the file; none to turn it off.
        ASSERT_EQ(boxes_.shown.size(), boxes + (was ? 0 : 1)) << "step " << step;
        if (!was) {
          EXPECT_NE(boxes_.shown.back().text.find(design), std::string::npos) << boxes_.shown.back().text;
        }
      } else {
        EXPECT_EQ(boxes_.shown.size(), boxes) << "step " << step;
        if (c.offered) {
          EXPECT_NE(box.isChecked(), was) << "step " << step;
        }
      }
    }
    if (c.before == Before::kUsersFileAtFinish) {
      if (!box.isChecked()) box.setChecked(true);
      testing::WriteText(design, kUsersText);
    }
    on = box.isChecked();
    figures = Get<QLabel>(w, "coreFiguresLabel").text().toStdString();
  });
  int status = -2;
  try {
    status = app_.Run(args);
  } catch (const testing::ProcessExit& exit) {
    status = exit.status;
  }
  driver.Finish();

  if (c.before == Before::kUsersFileAtFinish) {
    // As a file that cannot be written: a box naming it, status 1, nothing else written.
    EXPECT_EQ(status, 1);
    ASSERT_FALSE(boxes_.shown.empty());
    EXPECT_NE(boxes_.shown.back().text.find(design), std::string::npos);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{c.design});
  } else {
    EXPECT_EQ(status, 0);
  }
  if (c.before == Before::kUsersFile || c.before == Before::kUsersFileAtFinish) {
    EXPECT_EQ(testing::ReadFile(design), kUsersText);
    return;
  }
  ASSERT_EQ(std::filesystem::exists(design), on || c.before == Before::kOwnCore) << "box on: " << on;
  if (on) {
    const std::string core = testing::ReadFile(design);
    EXPECT_EQ(core, GeneratedCore(app_.parameters(), gen_dir.path()));
    // The page stated the figures of the variant the pages chose, as the
    // core's header does.
    const std::string header = core.substr(0, core.find("Made by"));
    std::smatch stated;
    if (app_.parameters().Enc_Dec == 1) {
      EXPECT_EQ(figures, "Core: a symbol every clock, latency 1 clock");
      EXPECT_NE(header.find("A symbol every clock, latency 1 clock."), std::string::npos) << header;
    } else {
      ASSERT_TRUE(std::regex_search(header, stated, std::regex(R"(latency (\d+) clocks .*start every (\d+) clocks)")))
          << header;
      EXPECT_EQ(figures, "Core: latency " + stated[1].str() + " clocks, a codeword every " + stated[2].str() +
                             " clocks");
    }
  }
  // The other files are the ones a run without the core writes.
  const QString stem = QString::fromStdString(std::filesystem::path(design).stem().string());
  QStringList expected = {stem + ".cnx"};
  if (app_.parameters().Enc_Dec == 0) {
    expected << QString::fromStdString(MemoryFileName(app_.parameters().m, app_.parameters().irrpol));
  }
  if (app_.parameters().generate_vectorfile == 1) expected << stem + ".vec";
  if (on || c.before == Before::kOwnCore) expected << c.design;
  if (c.before == Before::kOwnCore) {
    expected << "real.v";
    EXPECT_TRUE(std::filesystem::is_symlink(design));
    EXPECT_EQ(std::filesystem::status(linked).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::others_read);
  }
  expected.sort();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CoreBoxTest,
                         ::testing::Combine(::testing::ValuesIn(kCoreCases), ::testing::Values(2u, 3u)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::to_string(std::get<1>(info.param));
                         });

// ---- The AXI4-Stream wrapper beside the core ----

// What stands beside the design before the run.
enum class Beside { kNothing, kCoreOnly, kOwnWrapper, kUsersWrapper };

struct AxisBoxCase {
  const char* name;
  Beside before;     // kCoreOnly and kOwnWrapper: an edited variation codexel-gen made
  bool core_off;     // the core's box turned off on the page
  bool starts_on;
  bool turned_on;    // the wrapper's box operated until it is on (where it can be)
};

constexpr AxisBoxCase kAxisCases[] = {
    {"New", Beside::kNothing, false, false, true},
    {"NewLeftOff", Beside::kNothing, false, false, false},
    {"CoreTurnedOff", Beside::kNothing, true, false, true},
    {"EditedWithoutWrapper", Beside::kCoreOnly, false, false, false},
    {"EditedBesideOwnWrapper", Beside::kOwnWrapper, false, true, true},
    {"UsersWrapperStays", Beside::kUsersWrapper, false, false, true},
};
constexpr const char* kUsersWrapper = "module rs_axis; // mine\nendmodule\n";

class AxisBoxTest : public OperatedPages, public ::testing::WithParamInterface<AxisBoxCase> {
 protected:
  int Gen(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunGenerator(args, [this]() -> TextMetrics& { return metrics_; }, files_, out, err);
    EXPECT_EQ(status, 0) << err.str();
    return status;
  }
};

TEST_P(AxisBoxTest, OfferedWithTheCoreOnlyAndWrittenExactlyWhenOn) {
  const AxisBoxCase& c = GetParam();
  random_.seed(11);
  QTemporaryDir dir, gen_dir;
  const std::string design = dir.filePath("rs.v").toStdString();
  const std::string wrapper = dir.filePath("rs_axis.v").toStdString();
  const bool edited = c.before == Beside::kCoreOnly || c.before == Beside::kOwnWrapper;
  const std::vector<std::string> made = {"--dvb", "--decoder", "--streaming", "--hdl"};
  if (edited) {
    std::vector<std::string> args = made;
    if (c.before == Beside::kOwnWrapper) args.push_back("--axis");
    args.push_back(design);
    ASSERT_EQ(Gen(args), 0);
  }
  if (c.before == Beside::kUsersWrapper) testing::WriteText(wrapper, kUsersWrapper);

  testing::ModalDriver driver(std::chrono::seconds(30));
  driver.Click("nextButton");
  driver.Click("nextButton");
  bool on = false;
  driver.Click("finishButton").Inspect([&](QWidget& w) {
    if (!edited) {  // the variation codexel-gen makes below
      app_.parameters() = testing::DvbDecoder({.discrete = 0});
      app_.ApplyModuleNameRule();
    }
    auto& core = Get<QAbstractButton>(w, "writeCoreBox");
    auto& box = Get<QAbstractButton>(w, "writeAxisBox");
    EXPECT_EQ(box.accessibleName(), "Also write an AXI4-Stream wrapper");
    EXPECT_FALSE(box.toolTip().isEmpty());
    EXPECT_EQ(box.accessibleDescription(), box.toolTip());
    ASSERT_TRUE(core.isChecked());
    EXPECT_TRUE(box.isEnabled());
    EXPECT_EQ(box.isChecked(), c.starts_on);
    if (c.core_off) {
      Operate(w, "writeCoreBox");
      EXPECT_FALSE(box.isEnabled()) << "only with the core";
    }
    for (int step = 0; step < 4 && c.turned_on && !box.isChecked(); ++step) {
      const std::size_t boxes = boxes_.shown.size();
      Operate(w, "writeAxisBox");
      EXPECT_EQ(box.isChecked(), app_.write_axis()) << "step " << step;
      if (c.before == Beside::kUsersWrapper && box.isEnabled()) {
        // A refusal names the file; the box stays off.
        EXPECT_FALSE(box.isChecked());
        ASSERT_EQ(boxes_.shown.size(), boxes + 1);
        EXPECT_NE(boxes_.shown.back().text.find(wrapper), std::string::npos) << boxes_.shown.back().text;
      }
    }
    if (!c.turned_on && box.isChecked()) Operate(w, "writeAxisBox");
    on = box.isChecked();
    EXPECT_EQ(on, c.turned_on && !c.core_off && c.before != Beside::kUsersWrapper);
  });
  ASSERT_EQ(app_.Run(edited ? std::vector<std::string>{design} : std::vector<std::string>{"-n", design}), 0);
  driver.Finish();

  if (c.before == Beside::kUsersWrapper) {
    EXPECT_EQ(testing::ReadFile(wrapper), kUsersWrapper);
  } else {
    EXPECT_EQ(std::filesystem::exists(wrapper), on || c.before == Beside::kOwnWrapper);
  }
  if (on) {  // the bytes codexel-gen --hdl --axis writes
    const std::string gen_design = gen_dir.filePath("rs.v").toStdString();
    std::vector<std::string> args = made;
    args.insert(args.end(), {"--axis", gen_design});
    ASSERT_EQ(Gen(args), 0);
    EXPECT_EQ(testing::ReadFile(wrapper), testing::ReadFile(gen_dir.filePath("rs_axis.v").toStdString()));
    EXPECT_EQ(testing::ReadFile(design), testing::ReadFile(gen_design));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, AxisBoxTest, ::testing::ValuesIn(kAxisCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace codexel
