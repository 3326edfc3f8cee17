// The RS parameters page with its widgets, offscreen: typing and Tab, picking
// items, the preset, leaving the page, and the boxes the user sees. The rules
// themselves are tested on the form (rs_parameters_form_test.cpp).

#include "rs_pages/rs_parameters_page.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/qt_message_box.h"
#include "platform/qt_services.h"
#include "tests/rs_pages/rs_page_test.h"
#include "tests/support/page_checks.h"
#include "tests/support/parameter_sets.h"

namespace codexel::testing {
namespace {

const char* const kFieldNames[] = {"bitsField", "symbolsField", "checksField", "polynomialField",
                                   "firstRootField"};
using Texts = std::vector<std::string>;

QComboBox* FieldIn(QWidget& window, const char* name) {
  auto* combo = window.findChild<QComboBox*>(name);
  if (!combo) ADD_FAILURE() << "no field " << name;
  return combo;
}

Texts TextsIn(QWidget& window) {
  Texts texts;
  for (const char* name : kFieldNames) texts.push_back(FieldIn(window, name)->currentText().toStdString());
  return texts;
}

class ParametersPageTest : public RsPageTest {
 protected:
  ParametersPageTest() {
    // Each box with the texts the fields show while it is up.
    fake_.messages.on_show = [this] {
      QWidget* page = QApplication::activeModalWidget();
      fields_seen_.push_back(page ? TextsIn(*page) : Texts{});
    };
  }

  int Show(ModalDriver& driver) {
    return RsPageTest::Show(*MakePage(RsPageKind::kRsParameters), driver);
  }

  // Types into a field as a user would: focus, select all, type.
  static void Type(QWidget& window, const char* field, const std::string& text) {
    QComboBox* combo = FieldIn(window, field);
    combo->setFocus(Qt::TabFocusReason);
    combo->lineEdit()->selectAll();
    QTest::keyClick(combo->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(combo->lineEdit(), QString::fromStdString(text));
  }
  static void Press(int key) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
  }

  // The parameter line the preview shows for n.
  std::string ShownN() const {
    for (const SymbolText& text : app_.rs_symbol().texts()) {
      if (text.text().rfind("n = ", 0) == 0) return text.text();
    }
    return {};
  }

  const std::vector<Message>& boxes() const { return fake_.messages.shown; }

  std::vector<Texts> fields_seen_;
};

// ---- Typing and Tab ----

struct TabCase {
  const char* name;
  RsParameters start;
  const char* field;
  std::string typed;
  std::vector<std::string> titles;  // the boxes, in order
  Texts texts;                      // the five fields afterwards
  std::string shown_n;              // the preview's "n = " line afterwards
};

class TypedValueTest : public ParametersPageTest, public ::testing::WithParamInterface<TabCase> {};

TEST_P(TypedValueTest, TabChecksTheValueOnceAndShowsTheResult) {
  const TabCase& c = GetParam();
  app_.parameters() = c.start;
  ModalDriver driver;
  driver.Click("cancelButton").Inspect([&](QWidget& window) {
    Type(window, c.field, c.typed);
    Press(Qt::Key_Tab);
    EXPECT_EQ(TextsIn(window), c.texts);
    EXPECT_NE(QApplication::focusWidget(), nullptr);
    // Typed text never becomes an item.
    if (!c.titles.empty()) {
      EXPECT_EQ(FieldIn(window, c.field)->findText(QString::fromStdString(c.typed)), -1);
    }
  });
  Show(driver);
  std::vector<std::string> titles;
  for (const Message& box : boxes()) titles.push_back(box.title);
  EXPECT_EQ(titles, c.titles);
  EXPECT_EQ(ShownN(), c.shown_n);
  const RsParameters& p = app_.parameters();
  const Texts& t = c.texts;
  EXPECT_EQ(std::to_string(p.m), t[0]);
  EXPECT_EQ(std::to_string(p.n), t[1]);
  EXPECT_EQ(std::to_string(p.r), t[2]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypedValueTest,
    ::testing::Values(
        TabCase{"FourOverTheDvbSet", DvbCode(), "bitsField", "4", {},
                {"4", "5", "4", "19", "0"}, "n = 5"},
        TabCase{"SymbolsBelowTheChecks", Code(4, 15, 10, 19), "symbolsField", "7",
                {"Invalid number of symbols per codeword"}, {"4", "5", "4", "19", "0"}, "n = 5"},
        TabCase{"SymbolsAboveTheField", Code(4, 5, 4, 19), "symbolsField", "20",
                {"Invalid number of symbols per codeword"}, {"4", "15", "4", "19", "0"},
                "n = 15"},
        TabCase{"ChecksLimitedTo50", Code(8, 255, 16, 285), "checksField", "60",
                {"Invalid number of check symbols per codeword"},
                {"8", "255", "50", "285", "0"}, "n = 255"},
        TabCase{"PolynomialOutsideTheRow", DvbCode(), "polynomialField", "300",
                {"Invalid field polynomial value"}, {"8", "204", "16", "285", "0"}, "n = 204"},
        TabCase{"FirstRootMinusOne", DvbCode(), "firstRootField", "-1",
                {"Invalid first root of polynomial generator"}, {"8", "204", "16", "285", "0"},
                "n = 204"},
        TabCase{"FirstRootEmpty", Code(8, 204, 16, 285, 3), "firstRootField", "", {},
                {"8", "204", "16", "285", ""}, "n = 204"},
        TabCase{"BitsWithLetters", DvbCode(), "bitsField", "12a",
                {"Invalid number of bits per symbol"}, {"4", "5", "4", "19", "0"}, "n = 5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ParametersPageTest, BoxesShowOverTheFieldsAsTheRuleLeavesThem) {
  app_.parameters() = DvbCode();
  ModalDriver driver;
  driver.Click("cancelButton").Inspect([&](QWidget& window) {
    Type(window, "bitsField", "9");  // reset first: the box shows over "8"
    Press(Qt::Key_Tab);
    Type(window, "symbolsField", "1.5");  // message first: over the typed text
    Press(Qt::Key_Tab);
  });
  Show(driver);
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0].text,
            "The value you have entered is too large.\nIt must be between 4 and 8.\nThe value "
            "has been reset to 8");
  EXPECT_EQ(fields_seen_, (std::vector<Texts>{{"8", "204", "16", "285", "0"},
                                              {"8", "1.5", "16", "285", "0"}}));
  EXPECT_EQ(app_.parameters().n, 17);
}

// ---- Picking items, the preset, the keyboard ----

TEST_F(ParametersPageTest, PickingItemsWithTheKeysAndTheMouse) {
  ModalDriver driver;
  driver.Click("cancelButton").Inspect([&](QWidget& window) {
    ExpectAccessibleNames(window);
    // An arrow key on the closed list picks the next item.
    QComboBox* bits = FieldIn(window, "bitsField");
    bits->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Down);
    EXPECT_EQ(TextsIn(window), (Texts{"5", "5", "4", "37", "0"}));
    EXPECT_EQ(FieldIn(window, "polynomialField")->count(), 6);
    EXPECT_EQ(bits->count(), 5) << "the bits list is never rebuilt";
    // An item picked from the open list with the mouse.
    QComboBox* symbols = FieldIn(window, "symbolsField");
    symbols->showPopup();
    QAbstractItemView* view = symbols->view();
    const QModelIndex item = view->model()->index(symbols->findText("31"), 0);
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    EXPECT_EQ(symbols->currentText(), "31");
    EXPECT_EQ(app_.parameters().n, 31);
    EXPECT_EQ(FieldIn(window, "checksField")->count(), 27) << "4 to 30";
    EXPECT_EQ(ShownN(), "n = 31");
    // The preset from there.
    QTest::mouseClick(window.findChild<QPushButton*>("dvbButton"), Qt::LeftButton);
    EXPECT_EQ(TextsIn(window), (Texts{"8", "204", "16", "285", "0"}));
    EXPECT_EQ(ShownN(), "n = 204");
  });
  Show(driver);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(app_.parameters().r, 16);
}

TEST_F(ParametersPageTest, TabRunsDownTheFieldsToThePreset) {
  ModalDriver driver;
  driver.Click("cancelButton").Inspect([&](QWidget& window) {
    EXPECT_EQ(QApplication::focusWidget(), FieldIn(window, "bitsField"));
    EXPECT_EQ(TabWalk(window, 6),
              (std::vector<std::string>{"symbolsField", "checksField", "polynomialField",
                                        "firstRootField", "dvbButton", "cancelButton"}));
  });
  Show(driver);
  EXPECT_TRUE(boxes().empty());
}

// ---- Leaving the page ----

enum class Way { kEnter, kNextPressed, kFinishPressed, kBackPressed, kEscape, kCancelClicked };

struct LeaveCase {
  const char* name;
  Way way;
  std::string typed;  // into the bits field, over m 4
  bool box;           // a box appears and the page stays open
  int m;              // the set afterwards
  int result;         // how the page was left
};

class LeavingTest : public ParametersPageTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeavingTest, TheFocusedFieldIsCheckedFirst) {
  const LeaveCase& c = GetParam();
  ModalDriver driver;
  driver.Look().Inspect([&](QWidget& window) {
    Type(window, "bitsField", c.typed);
    // "Pressed" is a button's press action as assistive technology sends it:
    // the focus stays in the field.
    const auto press = [&](const char* name) { window.findChild<QPushButton*>(name)->click(); };
    switch (c.way) {
      case Way::kEnter: Press(Qt::Key_Return); break;
      case Way::kNextPressed: press("nextButton"); break;
      case Way::kFinishPressed: press("finishButton"); break;
      case Way::kBackPressed: press("backButton"); break;
      case Way::kEscape: Press(Qt::Key_Escape); break;
      case Way::kCancelClicked:
        QTest::mouseClick(window.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        break;
    }
  });
  if (c.box) {
    driver.Click("cancelButton").SameWindow().Inspect([&](QWidget& window) {
      EXPECT_EQ(FieldIn(window, "bitsField")->currentText().toStdString(), std::to_string(c.m))
          << "the corrected value";
    });
  }
  EXPECT_EQ(Show(driver), c.result);
  EXPECT_EQ(boxes().size(), c.box ? 1u : 0u);
  EXPECT_EQ(app_.parameters().m, c.m);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeavingTest,
    ::testing::Values(LeaveCase{"EnterWithALegalValue", Way::kEnter, "6", false, 6, kNavNext},
                      LeaveCase{"EnterWithAnIllegalValue", Way::kEnter, "9", true, 8, kNavCancel},
                      LeaveCase{"NextWithALegalValue", Way::kNextPressed, "7", false, 7, kNavNext},
                      LeaveCase{"NextWithAnIllegalValue", Way::kNextPressed, "9", true, 8,
                                kNavCancel},
                      LeaveCase{"FinishWithALegalValue", Way::kFinishPressed, "5", false, 5,
                                kNavFinish},
                      LeaveCase{"BackWithAnIllegalValue", Way::kBackPressed, "x", true, 4,
                                kNavCancel},
                      LeaveCase{"EscapeChecksNothing", Way::kEscape, "9", false, 4, kNavCancel},
                      LeaveCase{"CancelClickedChecksNothing", Way::kCancelClicked, "9", false, 4,
                                kNavCancel}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ParametersPageTest, TheBoxItselfIsNoLossOfFocus) {
  QtMessageService real_boxes;
  PlatformServices boxes{real_boxes, fake_.notifier, fake_.metrics, fake_.files, fake_.process};
  RsWizardApp app(boxes, &factory_);
  app.SetDesignPath("/w/rs.tdf");
  std::unique_ptr<PageInterface> page = factory_.CreateRsPage(app, RsPageKind::kRsParameters);
  ModalDriver driver;
  driver.Look().Inspect([&](QWidget& window) {
    Type(window, "bitsField", "1.5");
    Press(Qt::Key_Tab);  // the box opens, is answered, and the focus goes on
    EXPECT_EQ(window.focusWidget(), FieldIn(window, "symbolsField"));
    EXPECT_EQ(FieldIn(window, "bitsField")->currentText(), "4");
  });
  driver.PressEnter();
  driver.Click("cancelButton");
  EXPECT_EQ(RsPageTest::Show(*page, driver), kNavCancel);
  ASSERT_EQ(driver.seen().size(), 3u) << "exactly one box";
  EXPECT_EQ(driver.seen()[1].title, "Invalid number of bits per symbol");
}

}  // namespace
}  // namespace codexel::testing
