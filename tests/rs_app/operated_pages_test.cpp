// Whole runs in which the RS pages' controls are operated every way Qt
// offers (mouse, keyboard, accessible action, the program's setter) in a
// seeded random order: after each step the widgets must show what the set
// holds, and Finish must write what the pages showed.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QTemporaryDir>
#include <filesystem>
#include <random>

#include "host/number_text.h"
#include "platform/posix_files.h"
#include "rs_engine/rs_wizard_app.h"
#include "rs_pages/rs_page_factory.h"
#include "tests/support/fakes.h"
#include "tests/support/modal_helper.h"
#include "tests/support/page_checks.h"
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

class OperatedPagesTest : public ::testing::TestWithParam<unsigned> {
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

  std::mt19937 random_{GetParam()};
  testing::RecordingMessages boxes_;  // answered at once
  testing::RecordingNotifier notifier_;
  testing::FakeTextMetrics metrics_;
  PosixFileSystem files_;
  testing::FakeProcess process_;
  PlatformServices services_{boxes_, notifier_, metrics_, files_, process_};
  QtRsPageFactory pages_;
  RsWizardApp app_{services_, &pages_};
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

}  // namespace
}  // namespace codexel
