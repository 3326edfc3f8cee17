// The extra files page offscreen: the file names and enabling it opens with,
// the throughput calculator driven as a user would, what survives leaving
// the page, and Finish without the vector file.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "tests/rs_pages/rs_page_test.h"
#include "tests/support/page_checks.h"
#include "tests/support/parameter_sets.h"

namespace codexel::testing {
namespace {

// Every control that only a decoder may use.
constexpr const char* kDecoderOnly[] = {
    "memoryFileLabel", "memoryFileField", "throughputGroup", "unitLabel",     "megasymbolsButton",
    "megabitsButton",  "frequencyLabel",  "frequencyField",  "calculateButton", "resultField"};

constexpr const char* kDvb100 = "Throughput is 27.38 Msym/s";
constexpr const char* kDvb100Mbit = "Throughput is 219.1 Mbit/s";

class ExtraFilesPageTest : public RsPageTest {
 protected:
  // Shows the page once; `act` runs on its window, then the page is left by
  // Next.
  void Show(const std::function<void(QWidget&)>& act) {
    EXPECT_EQ(RsPageTest::Show(*page_, act, "nextButton"), kNavNext);
  }

  std::unique_ptr<PageInterface> page_ = MakePage(RsPageKind::kExtraFiles);
};

std::string Text(QWidget& window, const char* name) {
  return Get<QLineEdit>(window, name).text().toStdString();
}

RsParameters With(RsParameters p, int RsParameters::*field, int value) {
  p.*field = value;
  return p;
}

// ---- Opening ----

struct OpeningCase {
  const char* name;
  RsParameters parameters;
  std::string memory_file;
  bool vector_file;  // check box marked, label and name enabled
  bool decoder;
  bool megasymbols, megabits;  // the unit buttons' marks
};

class ExtraFilesOpeningTest : public ExtraFilesPageTest,
                              public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(ExtraFilesOpeningTest, ShowsTheFileNamesAndEnablesByDevice) {
  const OpeningCase& c = GetParam();
  app_.parameters() = c.parameters;
  Show([&](QWidget& window) {
    EXPECT_EQ(Text(window, "vectorFileField"), "/w/rs.vec") << "shown also when not written";
    EXPECT_EQ(Text(window, "memoryFileField"), c.memory_file);
    EXPECT_EQ(Marked(window, "generateVectorFileBox"), c.vector_file);
    EXPECT_TRUE(Get(window, "generateVectorFileBox").isEnabled());
    // A ".tdf" design: the core cannot be written, nor its wrapper.
    for (const char* box : {"writeCoreBox", "writeAxisBox"}) {
      EXPECT_FALSE(Get(window, box).isEnabled()) << box;
      EXPECT_FALSE(Marked(window, box)) << box;
    }
    EXPECT_EQ(Get(window, "vectorFileLabel").isEnabled(), c.vector_file);
    EXPECT_EQ(Get(window, "vectorFileField").isEnabled(), c.vector_file);
    for (const char* name : kDecoderOnly) {
      EXPECT_EQ(Get(window, name).isEnabled(), c.decoder) << name;
    }
    EXPECT_EQ(Marked(window, "megasymbolsButton"), c.megasymbols);
    EXPECT_EQ(Marked(window, "megabitsButton"), c.megabits);
    for (const char* name : {"vectorFileField", "memoryFileField", "resultField"}) {
      EXPECT_TRUE(Get<QLineEdit>(window, name).isReadOnly()) << name;
    }
    EXPECT_EQ(Text(window, "frequencyField"), "");
    EXPECT_EQ(Text(window, "resultField"), "");
    ExpectAccessibleNames(window);
    EXPECT_EQ(Get(window, "resultField").accessibleName(), "Throughput");
    for (const char* group : {"extraFilesGroup", "throughputGroup"}) {  // no text cut off
      for (QWidget* text : Get(window, group).findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(text) || qobject_cast<QAbstractButton*>(text)) {
          EXPECT_LE(text->sizeHint().width(), text->width()) << text->objectName();
        }
      }
    }
  });
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ExtraFilesOpeningTest,
    ::testing::Values(
        OpeningCase{"NewEncoder", RsParameters{}, "", true, false, false, false},
        OpeningCase{"DvbDecoderInMegabits", With(DvbDecoder(), &RsParameters::Msym_Mbit, 0),
                    "/w/inv_8_285.hex", true, true, false, true},
        OpeningCase{"DecoderWithoutVectorFile",
                    With(AsDecoder(Code(4, 5, 4, 19)), &RsParameters::generate_vectorfile, 0),
                    "/w/inv_4_19.hex", false, true, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The throughput calculator ----

enum class Act {
  kType,   // clears the frequency, then types the text key by key
  kPaste,  // selects the frequency and pastes the text over it
  kSet,    // sets the frequency past the validator, as a program could
  kClick,  // clicks the button
};

struct Step {
  Act act;
  const char* arg;
  const char* frequency;  // the field's text afterwards
  const char* result;
};

struct CalculatorCase {
  const char* name;
  RsParameters parameters;
  std::vector<Step> steps;
};

class ThroughputCalculatorTest : public ExtraFilesPageTest,
                                 public ::testing::WithParamInterface<CalculatorCase> {};

TEST_P(ThroughputCalculatorTest, ShowsTheResultInTheChosenUnit) {
  app_.parameters() = GetParam().parameters;
  Show([&](QWidget& window) {
    auto& frequency = Get<QLineEdit>(window, "frequencyField");
    for (const Step& step : GetParam().steps) {
      SCOPED_TRACE(step.arg);
      switch (step.act) {
        case Act::kType:
          frequency.clear();
          QTest::keyClicks(&frequency, step.arg);
          break;
        case Act::kPaste:
          QApplication::clipboard()->setText(step.arg);
          frequency.selectAll();
          frequency.paste();
          break;
        case Act::kSet:
          frequency.setText(step.arg);
          break;
        case Act::kClick:
          ClickButton(window, step.arg);
          break;
      }
      EXPECT_EQ(Text(window, "frequencyField"), step.frequency);
      EXPECT_EQ(Text(window, "resultField"), step.result);
      EXPECT_EQ(Marked(window, "megasymbolsButton"), app_.parameters().Msym_Mbit == 1);
    }
  });
  EXPECT_EQ(app_.rs_symbol().pins().size(), 6u) << "the encoder's symbol was not laid out again";
}

constexpr const char* kCalculate = "calculateButton";
constexpr const char* kMsym = "megasymbolsButton";
constexpr const char* kMbit = "megabitsButton";

INSTANTIATE_TEST_SUITE_P(
    Cases, ThroughputCalculatorTest,
    ::testing::Values(
        // A unit button recalculates at once only when there is a frequency;
        // an empty frequency and "Calculate" empty the result.
        CalculatorCase{"DvbFullDiscrete",
                       DvbDecoder(),
                       {{Act::kClick, kMbit, "", ""},
                        {Act::kClick, kCalculate, "", ""},
                        {Act::kType, "100", "100", ""},
                        {Act::kClick, kMsym, "100", kDvb100},
                        {Act::kClick, kMbit, "100", kDvb100Mbit},
                        {Act::kClick, kCalculate, "100", kDvb100Mbit},
                        {Act::kType, "", "", kDvb100Mbit},
                        {Act::kClick, kCalculate, "", ""}}},
        CalculatorCase{"DvbFullStreaming",
                       DvbDecoder({.discrete = 0}),
                       {{Act::kType, "100", "100", ""},
                        {Act::kClick, kCalculate, "100", "Throughput is 92.73 Msym/s"}}},
        CalculatorCase{"SmallHalfDiscrete",
                       AsDecoder(Code(4, 5, 4, 19), {.full = 0}),
                       {{Act::kType, "1", "1", ""},
                        {Act::kClick, kCalculate, "1", "Throughput is 7.937e-002 Msym/s"},
                        {Act::kType, "0", "0", "Throughput is 7.937e-002 Msym/s"},
                        {Act::kClick, kCalculate, "0", "Throughput is 0. Msym/s"}}},
        CalculatorCase{"OnlyDigitsGetInButOtherTextsAreRefused",
                       DvbDecoder(),
                       {{Act::kType, "12a", "12", ""},
                        {Act::kPaste, "12a", "12", ""},
                        {Act::kType, "-1.5", "15", ""},
                        // At most 15 digits, so that no frequency is infinite.
                        {Act::kPaste, "1234567890123456789", "123456789012345", ""},
                        {Act::kClick, kCalculate, "123456789012345",
                         "Throughput is 3.381e+013 Msym/s"},
                        {Act::kSet, "100.5", "100.5", "Throughput is 3.381e+013 Msym/s"},
                        {Act::kClick, kCalculate, "100.5", "Invalid Frequency"},
                        {Act::kClick, kMbit, "100.5", "Invalid Frequency"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The core's figures under the core box ----

struct FiguresStep {
  Act act;
  const char* arg;
  const char* line;  // the label's text afterwards
};

struct FiguresCase {
  const char* name;
  RsParameters parameters;
  const char* design;
  bool manager;  // started with -h: the manager makes the design file
  std::vector<FiguresStep> steps;
};

class CoreFiguresTest : public ExtraFilesPageTest, public ::testing::WithParamInterface<FiguresCase> {};

TEST_P(CoreFiguresTest, TheLineStatesTheWrittenCoresFiguresWhileTheBoxIsOn) {
  const FiguresCase& c = GetParam();
  app_.SetDesignPath(c.design);
  app_.host().notify = c.manager;
  app_.set_write_core(true);
  app_.parameters() = c.parameters;
  std::string shown;
  Show([&](QWidget& window) {
    auto& line = Get<QLabel>(window, "coreFiguresLabel");
    auto& frequency = Get<QLineEdit>(window, "frequencyField");
    for (const FiguresStep& step : c.steps) {
      SCOPED_TRACE(step.arg);
      if (step.act == Act::kType) {
        frequency.clear();
        QTest::keyClicks(&frequency, step.arg);
      } else {
        ClickButton(window, step.arg);
      }
      EXPECT_EQ(line.text().toStdString(), step.line);
      EXPECT_EQ(line.accessibleName(), line.text()) << "read as it is shown";
      EXPECT_LE(line.heightForWidth(line.width()), line.height()) << "no text cut off";
      if (!line.text().isEmpty()) shown = line.text().toStdString();
    }
  });
  // Its figures are those of the design file Finish writes, as its header
  // states them.
  app_.WriteWizardFile();
  const std::string& written = fake_.files.files[c.design];
  EXPECT_EQ(written.empty(), shown.empty());
  const std::string header = written.substr(0, written.find("Made by"));
  for (const char* figure : {"latency ", "every "}) {
    const std::size_t at = shown.find(figure);
    if (at == std::string::npos) continue;
    const std::string clocks = shown.substr(at, shown.find(" clock", at) - at);
    EXPECT_NE(header.find(clocks), std::string::npos) << clocks << " not in\n" << header;
  }
}

constexpr const char* kBox = "writeCoreBox";

INSTANTIATE_TEST_SUITE_P(
    Cases, CoreFiguresTest,
    ::testing::Values(
        FiguresCase{"DvbHalfStreaming",
                    DvbDecoder({.discrete = 0, .full = 0}),
                    "/w/rs.v",
                    false,
                    {{Act::kType, "", "Core: latency 411 clocks, a codeword every 204 clocks"},
                     {Act::kType, "100",
                      "Core: latency 411 clocks, a codeword every 204 clocks: 100. Msym/s at 100 MHz"},
                     {Act::kClick, kMbit,
                      "Core: latency 411 clocks, a codeword every 204 clocks: 800. Mbit/s at 100 MHz"},
                     {Act::kClick, kBox, ""},
                     {Act::kClick, kBox,
                      "Core: latency 411 clocks, a codeword every 204 clocks: 800. Mbit/s at 100 MHz"}}},
        FiguresCase{"DvbErasuresDiscreteInVhdl",
                    DvbDecoder({.eras = 1, .discrete = 1, .full = 1}),
                    "/w/rs.vhd",
                    false,
                    {{Act::kType, "1", "Core: latency 546 clocks, a codeword every 750 clocks: 0.272 Msym/s at 1 MHz"}}},
        FiguresCase{"Encoder", RsParameters{}, "/w/rs.v", false,
                    {{Act::kType, "", "Core: a symbol every clock, latency 1 clock"}}},
        FiguresCase{"ManagerMakesIt", DvbDecoder(), "/w/rs.v", true, {{Act::kType, "100", ""}}},
        FiguresCase{"Zhdl", DvbDecoder(), "/w/rs.tdf", false, {{Act::kType, "100", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Leaving and coming back ----

TEST_F(ExtraFilesPageTest, ComingBackKeepsUnitAndCheckBoxButNotTheFrequency) {
  app_.parameters() = DvbDecoder();
  Show([&](QWidget& window) {
    QTest::keyClicks(&Get(window, "frequencyField"), "100");
    ClickButton(window, "megabitsButton");
    ASSERT_EQ(Text(window, "resultField"), kDvb100Mbit);
    ClickButton(window, "generateVectorFileBox");
    EXPECT_EQ(app_.parameters().generate_vectorfile, 0);
    EXPECT_FALSE(Get(window, "vectorFileField").isEnabled());
    EXPECT_EQ(Text(window, "vectorFileField"), "/w/rs.vec");
  });
  Show([&](QWidget& window) {
    EXPECT_EQ(Text(window, "frequencyField"), "");
    EXPECT_EQ(Text(window, "resultField"), "");
    EXPECT_TRUE(Marked(window, "megabitsButton"));
    EXPECT_FALSE(Marked(window, "generateVectorFileBox"));
    EXPECT_FALSE(Get(window, "vectorFileLabel").isEnabled());
    ClickButton(window, "generateVectorFileBox");
    EXPECT_EQ(app_.parameters().generate_vectorfile, 1);
    EXPECT_TRUE(Get(window, "vectorFileLabel").isEnabled());
    EXPECT_TRUE(Get(window, "vectorFileField").isEnabled());
  });
  EXPECT_EQ(app_.parameters().Msym_Mbit, 0);
}

TEST_F(ExtraFilesPageTest, Keyboard) {
  app_.parameters() = DvbDecoder();
  Show([&](QWidget& window) {
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "generateVectorFileBox");
    EXPECT_EQ(TabWalk(window, 7),
              (std::vector<std::string>{"vectorFileField", "memoryFileField", "megasymbolsButton",
                                        "frequencyField", "calculateButton", "resultField",
                                        "cancelButton"}));
    // Back to the unit: an arrow key chooses, as a click does.
    Get(window, "megasymbolsButton").setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "megabitsButton");
    EXPECT_EQ(app_.parameters().Msym_Mbit, 0);
  });
}

// ---- Finish ----

struct FinishCase {
  const char* name;
  bool decoder;
  bool vector_file;
  std::vector<std::string> written;
};

class ExtraFilesFinishTest : public ExtraFilesPageTest,
                             public ::testing::WithParamInterface<FinishCase> {};

TEST_P(ExtraFilesFinishTest, WritesTheVectorFileOnlyWhenChosen) {
  const FinishCase& c = GetParam();
  RsWizardApp app(fake_.services, &factory_);
  ModalDriver driver;
  driver.Click("nextButton").Inspect([&](QWidget& window) {
    if (c.decoder) ClickButton(window, "decoderButton");
  });
  driver.Click("nextButton");  // the RS parameters page
  driver.Click("finishButton").Inspect([&](QWidget& window) {
    if (!c.vector_file) ClickButton(window, "generateVectorFileBox");
  });
  EXPECT_EQ(app.Run({"-n", "/w/rs.tdf"}), kNavFinish);
  driver.Finish();
  EXPECT_EQ(fake_.files.written, c.written);
  EXPECT_NE(fake_.files.files["/w/rs.cnx"].find("PRIVATE: generate_vectorfile NUMERIC \"" +
                                                std::to_string(c.vector_file) + "\""),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ExtraFilesFinishTest,
    ::testing::Values(
        FinishCase{"EncoderWithoutVectorFile", false, false, {"/w/rs.cnx"}},
        FinishCase{"DecoderWithoutVectorFile", true, false, {"/w/inv_4_19.hex", "/w/rs.cnx"}},
        FinishCase{"DecoderWithVectorFile", true, true,
                   {"/w/inv_4_19.hex", "/w/rs.vec", "/w/rs.cnx"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace codexel::testing
