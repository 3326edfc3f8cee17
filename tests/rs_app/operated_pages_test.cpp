// Whole runs in which every control of the RS pages is operated in each way
// Qt offers (mouse, keyboard, the accessible action, the program's setter) in
// a seeded random order. After every step what the widgets show must be what
// the variation would record; Finish must then write what the pages showed.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

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

enum class Way { kMouse, kKeyboard, kAccessible, kProgram };
constexpr Way kWays[] = {Way::kMouse, Way::kKeyboard, Way::kAccessible, Way::kProgram};

// Marks a radio button, or flips a check box, the given way.
void Operate(QWidget& window, const char* name, Way way) {
  auto& button = Get<QAbstractButton>(window, name);
  switch (way) {
    case Way::kMouse: testing::ClickButton(window, name); break;
    case Way::kKeyboard:
      button.setFocus(Qt::TabFocusReason);
      QTest::keyClick(&button, Qt::Key_Space);
      break;
    case Way::kAccessible:
      if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&button)) {
        if (QAccessibleActionInterface* actions = face->actionInterface()) {
          actions->doAction(QAccessibleActionInterface::toggleAction());
        }
      }
      break;
    case Way::kProgram:
      if (button.isEnabled()) button.setChecked(button.autoExclusive() || !button.isChecked());
      break;
  }
}

// What the pages showed, as the file should record it.
struct Shown {
  std::string module;
  std::array<std::string, 5> fields;  // m, n, check, irrpol, GENSTART_V
  bool vector_file = true;
};

std::string Recorded(const std::string& block, const std::string& kind, const std::string& name) {
  const std::string start = kind + ": " + name + " NUMERIC \"";
  const auto at = block.find("\n" + start);
  if (at == std::string::npos) return "<none>";
  const auto begin = at + 1 + start.size();
  return block.substr(begin, block.find('"', begin) - begin);
}

class OperatedPagesTest : public ::testing::TestWithParam<unsigned> {
 protected:
  std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

  void DeviceTypeSteps(QWidget& window, RsWizardApp& app) {
    static const char* const kButtons[] = {"encoderButton",  "decoderButton",  "standardButton",
                                           "erasureButton",  "discreteButton", "streamingButton",
                                           "fullButton",     "halfButton"};
    for (int step = 0; step < 24; ++step) {
      // The last step makes a decoder, so that the unit buttons can be tried.
      const char* name = step == 23 ? "decoderButton" : kButtons[Pick(8)];
      Operate(window, name, kWays[Pick(4)]);
      const RsParameters& p = app.parameters();
      SCOPED_TRACE(std::string("after ") + name);
      EXPECT_EQ(Marked(window, "encoderButton"), p.Enc_Dec == 1);
      EXPECT_EQ(Marked(window, "decoderButton"), p.Enc_Dec == 0);
      EXPECT_EQ(Marked(window, "erasureButton"), p.Eras_Stnd == 1);
      EXPECT_EQ(Marked(window, "discreteButton"), p.Disc_Stream == 1);
      EXPECT_EQ(Marked(window, "fullButton"), p.Fast_Small == 1);
      EXPECT_EQ(Get(window, "halfButton").isEnabled(), p.Enc_Dec == 0);
      EXPECT_EQ(app.host().module_name, ModuleName(p));
    }
    shown_.module = app.host().module_name;
  }

  void ParametersSteps(QWidget& window, RsWizardApp& app) {
    static const char* const kFields[] = {"bitsField", "symbolsField", "checksField",
                                          "polynomialField", "firstRootField"};
    static const char* const kTexts[] = {"12", "3", "", "x", "6", "8", "5", "300", "20",
                                         "255", "16", "7", "285", "-1", "0", "60", " 7"};
    for (int step = 0; step < 30; ++step) {
      const int field = Pick(5);
      auto& combo = Get<QComboBox>(window, kFields[field]);
      const int other = (field + 1 + Pick(4)) % 5;
      const int how = Pick(6);
      if (how == 5) {
        // Down arrow in the list: the next item is picked.
        combo.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&combo, Qt::Key_Down);
      } else {
        // A typed value, or one the program sets, then the focus leaves.
        const char* text = kTexts[Pick(static_cast<int>(std::size(kTexts)))];
        combo.setFocus(Qt::TabFocusReason);
        if (how == 4) {
          combo.setEditText(text);
        } else {
          combo.lineEdit()->selectAll();
          QTest::keyClick(&combo, Qt::Key_Backspace);
          QTest::keyClicks(&combo, text);
        }
        switch (how) {
          case 0: QTest::keyClick(&combo, Qt::Key_Tab); break;
          case 1: QTest::mouseClick(&Get(window, kFields[other]), Qt::LeftButton); break;
          case 2: {
            // Pressed on "Cancel", released off it: no click.
            auto& cancel = Get(window, "cancelButton");
            QTest::mousePress(&cancel, Qt::LeftButton, {}, cancel.rect().center());
            if (Pick(2) == 1) QTest::mouseMove(&cancel, QPoint(-30, -30));
            QTest::mouseRelease(&cancel, Qt::LeftButton, {}, QPoint(-30, -30));
            break;
          }
          default: QTest::keyClick(&combo, Qt::Key_Tab, Qt::ShiftModifier); break;
        }
      }
      QCoreApplication::processEvents();
      const RsParameters& p = app.parameters();
      const int values[] = {p.m, p.n, p.r, p.irrpol, p.genstart};
      for (int i = 0; i < 5; ++i) {
        const std::string text = Get<QComboBox>(window, kFields[i]).currentText().toStdString();
        // A kept text is read as the checks read it (" 7" is 7, an empty
        // first root 0), and only a text that passed its check is kept.
        EXPECT_TRUE(IsIntegerText(text) && ToInteger(text) == values[i]) << kFields[i] << " shows '" << text << "', the set holds " << values[i]
            << " (step " << step << ", way " << how << ")";
        shown_.fields[static_cast<std::size_t>(i)] = FormatInt(values[i]);
      }
    }
  }

  void ExtraFilesSteps(QWidget& window, RsWizardApp& app) {
    static const char* const kButtons[] = {"generateVectorFileBox", "megasymbolsButton",
                                           "megabitsButton"};
    QTest::keyClicks(&Get(window, "frequencyField"), "100");
    testing::ClickButton(window, "calculateButton");
    for (int step = 0; step < 16; ++step) {
      const char* name = kButtons[Pick(3)];
      Operate(window, name, kWays[Pick(4)]);
      const RsParameters& p = app.parameters();
      SCOPED_TRACE(std::string("after ") + name);
      EXPECT_EQ(Marked(window, "generateVectorFileBox"), p.generate_vectorfile == 1);
      EXPECT_EQ(Get(window, "vectorFileField").isEnabled(), p.generate_vectorfile == 1);
      EXPECT_EQ(Marked(window, "megasymbolsButton"), p.Msym_Mbit == 1);
      const QString unit = p.Msym_Mbit == 1 ? " Msym/s" : " Mbit/s";
      EXPECT_TRUE(Get<QLineEdit>(window, "resultField").text().endsWith(unit))
          << Get<QLineEdit>(window, "resultField").text();
    }
    shown_.vector_file = Marked(window, "generateVectorFileBox");
  }

  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

  std::mt19937 random_{GetParam()};
  QTemporaryDir dir_;
  Shown shown_;
};

TEST_P(OperatedPagesTest, FinishWritesWhatThePagesShowed) {
  ASSERT_TRUE(dir_.isValid());
  testing::RecordingMessages boxes;  // answered at once
  testing::RecordingNotifier notifier;
  testing::FakeTextMetrics metrics;
  PosixFileSystem files;
  testing::FakeProcess process;
  PlatformServices services{boxes, notifier, metrics, files, process};
  QtRsPageFactory pages;
  RsWizardApp app(services, &pages);
  testing::ModalDriver driver(std::chrono::seconds(30));
  driver.Click("nextButton").Inspect([&](QWidget& w) { DeviceTypeSteps(w, app); });
  driver.Click("nextButton").Inspect([&](QWidget& w) { ParametersSteps(w, app); });
  driver.Click("finishButton").Inspect([&](QWidget& w) { ExtraFilesSteps(w, app); });
  ASSERT_EQ(app.Run({"-n", Path("rs.tdf")}), 0);
  driver.Finish();

  const std::string block = testing::ReadFile(Path("rs.cnx"));
  EXPECT_NE(block.find("\nMODULE: " + shown_.module + "\n"), std::string::npos) << block;
  const std::array<std::string, 5> written = {
      Recorded(block, "CONSTANT", "m"), Recorded(block, "CONSTANT", "n"),
      Recorded(block, "CONSTANT", "check"), Recorded(block, "CONSTANT", "irrpol"),
      Recorded(block, "PRIVATE", "GENSTART_V")};
  EXPECT_EQ(written, shown_.fields);
  EXPECT_EQ(std::filesystem::exists(Path("rs.vec")), shown_.vector_file);
}

INSTANTIATE_TEST_SUITE_P(Seeds, OperatedPagesTest, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

}  // namespace
}  // namespace codexel
