// One page shown on its own: opening steps, geometry, keyboard, leaving.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "tests/pages/page_test_support.h"
#include "tests/support/modal_helper.h"

namespace codexel::testing {
namespace {

class WizardPageTest : public ::testing::Test {
 protected:
  // Shows `page` once with the driver's steps; returns its result.
  int Show(WizardPage& page, ModalDriver& driver) {
    const int result = page.ShowModal();
    driver.Finish();
    EXPECT_EQ(page.dialog(), nullptr) << "the window outlives its showing";
    return result;
  }

  FakeServices fake;
  TestApp app{fake.services, {}};
};

// ---- Geometry of the opened page ----

struct SizeCase {
  QSize template_size;
  QSize page_size;  // after AdjustLayout
  QRect separator;  // in client coordinates
};

class PageSizeTest : public WizardPageTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(PageSizeTest, WidensGrowsAndLaysOutTheButtonRow) {
  const SizeCase& c = GetParam();
  TestPage page(app, {c.template_size, "", true});
  QRect separator;
  ModalDriver driver;
  driver.Click("cancelButton").Inspect([&](QWidget& window) {
    separator = window.findChild<QFrame*>("separator")->geometry();
  });
  Show(page, driver);

  ASSERT_EQ(driver.seen().size(), 1u);
  const ModalSeen& seen = driver.seen()[0];
  EXPECT_EQ(seen.geometry.size(), c.page_size);
  EXPECT_EQ(page.page_width(), c.template_size.width());
  EXPECT_EQ(separator, c.separator);
  // Right to left: Finish, Next, Back, Cancel; 56x20, 3 apart, 10 from the
  // right edge, bottom 10 above the bottom edge.
  const int top = c.page_size.height() - 10 - 20;
  int left = c.page_size.width() - 10 - 56;
  for (const char* name : {"finishButton", "nextButton", "backButton", "cancelButton"}) {
    const ButtonSeen* button = seen.Button(name);
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->geometry, QRect(left, top, 56, 20)) << name;
    left -= 59;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PageSizeTest,
                         ::testing::Values(SizeCase{{200, 100}, {253, 140}, {10, 100, 233, 2}},
                                           SizeCase{{253, 60}, {253, 100}, {10, 60, 233, 2}},
                                           SizeCase{{254, 60}, {254, 100}, {10, 60, 234, 2}},
                                           SizeCase{{400, 300}, {400, 340}, {10, 300, 380, 2}}));

// A page that widens itself further, as the preview pages do: the separator
// covers only the page's own area at the right.
class WideningPage : public TestPage {
 public:
  using TestPage::TestPage;
  void AdjustLayout() override {
    const QRect rect = PageRect();
    set_page_width(rect.width());
    SetPageRect(QRect(rect.topLeft(), QSize(rect.width() + 150, rect.height() + 40)));
  }
};

TEST_F(WizardPageTest, SeparatorOfAWidenedPageStartsAtItsOwnArea) {
  WideningPage page(app, {{300, 200}, "", true});
  QRect separator;
  ModalDriver driver;
  driver.PressEscape().Inspect(
      [&](QWidget& window) { separator = window.findChild<QFrame*>("separator")->geometry(); });
  Show(page, driver);
  EXPECT_EQ(driver.seen().at(0).geometry.size(), QSize(450, 240));
  EXPECT_EQ(separator, QRect(160, 200, 280, 2));
}

// ---- Button states by position kind ----

struct KindCase {
  int kind;
  bool back_enabled;
  bool next_enabled;
  const char* default_button;  // "" for none
};

class PositionKindTest : public WizardPageTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(PositionKindTest, EnablesButtonsAndMarksTheDefault) {
  const KindCase& c = GetParam();
  TestPage page(app, {});
  page.SetPositionKind(c.kind);
  ModalDriver driver;
  driver.PressEscape();
  Show(page, driver);

  const ModalSeen& seen = driver.seen().at(0);
  EXPECT_EQ(seen.Button("backButton")->enabled, c.back_enabled);
  EXPECT_EQ(seen.Button("nextButton")->enabled, c.next_enabled);
  EXPECT_TRUE(seen.Button("cancelButton")->enabled);
  EXPECT_TRUE(seen.Button("finishButton")->enabled);
  for (const ButtonSeen& button : seen.buttons) {
    EXPECT_EQ(button.is_default, button.object_name == c.default_button) << button.object_name;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PositionKindTest,
                         ::testing::Values(KindCase{kFirstPage, false, true, "nextButton"},
                                           KindCase{kFirstAfterCallerPages, true, true, ""},
                                           KindCase{kMiddlePage, true, true, ""},
                                           KindCase{kLastPage, true, false, "finishButton"}));

// ---- Names ----

TEST_F(WizardPageTest, ControlsCarryStableNamesAndTheirLabels) {
  TestPage page(app, {{300, 200}, "Summary", true});
  page.SetTitle("Title");
  std::vector<QString> tab_order;
  ModalDriver driver;
  driver.PressEscape().Inspect([&](QWidget& window) {
    EXPECT_EQ(window.objectName(), "wizardPage");
    EXPECT_EQ(window.accessibleName(), "Title -- Summary");
    EXPECT_EQ(window.findChild<QLineEdit*>("nameField")->accessibleName(), "Name");
    QWidget* widget = window.findChild<QLineEdit*>("nameField");
    for (int i = 0; i < 4; ++i) {
      widget = widget->nextInFocusChain();
      tab_order.push_back(widget->objectName());
    }
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
      EXPECT_EQ(button->font(), window.font()) << button->objectName().toStdString();
      EXPECT_EQ(button->focusPolicy(), Qt::StrongFocus);
    }
  });
  Show(page, driver);

  const ModalSeen& seen = driver.seen().at(0);
  EXPECT_EQ(seen.title, "Title -- Summary");
  const std::vector<std::pair<QString, QString>> expected = {{"cancelButton", "Cancel"},
                                                             {"backButton", "< Back"},
                                                             {"nextButton", "Next >"},
                                                             {"finishButton", "Finish"}};
  ASSERT_EQ(seen.buttons.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(seen.buttons[i].object_name, expected[i].first);
    EXPECT_EQ(seen.buttons[i].text, expected[i].second);
    EXPECT_EQ(seen.buttons[i].accessible_name, expected[i].second);
    EXPECT_EQ(tab_order.at(i), expected[i].first);
  }
}

// Arrow keys move within a tab group only; "Next >" opens the second group.
TEST_F(WizardPageTest, ArrowKeysStayWithinTheButtonGroups) {
  TestPage page(app, {});
  page.SetPositionKind(kMiddlePage);
  std::vector<QString> focus;
  ModalDriver driver;
  driver.PressEscape().Inspect([&](QWidget& window) {
    const auto press = [&](const char* start, Qt::Key key) {
      window.findChild<QPushButton*>(start)->setFocus(Qt::TabFocusReason);
      QTest::keyClick(QApplication::focusWidget(), key);
      focus.push_back(QApplication::focusWidget()->objectName());
    };
    press("cancelButton", Qt::Key_Right);
    press("backButton", Qt::Key_Right);
    press("nextButton", Qt::Key_Left);
    press("nextButton", Qt::Key_Right);
  });
  Show(page, driver);
  EXPECT_EQ(focus,
            (std::vector<QString>{"backButton", "backButton", "nextButton", "finishButton"}));
}

TEST_F(WizardPageTest, TitleWithoutCaptionStandsAlone) {
  TestPage page(app, {});
  page.SetTitle("Alone");
  ModalDriver driver;
  driver.CloseWindow();
  Show(page, driver);
  EXPECT_EQ(driver.seen().at(0).title, "Alone");
}

// ---- Leaving ----

struct LeaveCase {
  const char* name;
  std::function<void(ModalDriver&)> act;
  int result;
  bool notifies;
};

class LeaveTest : public WizardPageTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeaveTest, SetsTheResultAndNotifies) {
  const LeaveCase& c = GetParam();
  app.host().notify = true;
  app.host().caller_thread_id = 77;
  TestPage page(app, {});
  page.SetPositionKind(kMiddlePage);
  ModalDriver driver;
  c.act(driver);
  EXPECT_EQ(Show(page, driver), c.result);
  EXPECT_EQ(fake.notifier.posted.size(), c.notifies ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeaveTest,
    ::testing::Values(
        LeaveCase{"Back", [](ModalDriver& d) { d.Click("backButton"); }, kNavBack, true},
        LeaveCase{"Next", [](ModalDriver& d) { d.Click("nextButton"); }, kNavNext, true},
        LeaveCase{"Finish", [](ModalDriver& d) { d.Click("finishButton"); }, kNavFinish, true},
        LeaveCase{"Cancel", [](ModalDriver& d) { d.Click("cancelButton"); }, kNavCancel, true},
        LeaveCase{"Escape", [](ModalDriver& d) { d.PressEscape(); }, kNavCancel, true},
        LeaveCase{"Close", [](ModalDriver& d) { d.CloseWindow(); }, kNavCancel, true},
        // The plain accept keeps the result and tells nobody.
        LeaveCase{"Enter", [](ModalDriver& d) { d.PressEnter(); }, kNavNext, false},
        // A focused push button is pressed by Enter.
        LeaveCase{"EnterOnBack",
                  [](ModalDriver& d) {
                    d.PressEnter().Inspect(
                        [](QWidget& w) { w.findChild<QPushButton*>("backButton")->setFocus(); });
                  },
                  kNavBack, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardPageTest, PlainAcceptLeavesInTheDirectionLastLeft) {
  TestPage page(app, {});
  page.SetPositionKind(kMiddlePage);
  ModalDriver back;
  back.Click("backButton");
  EXPECT_EQ(Show(page, back), kNavBack);
  ModalDriver enter;
  enter.PressEnter();
  EXPECT_EQ(Show(page, enter), kNavBack);
  EXPECT_EQ(page.openings, 2);
}

TEST_F(WizardPageTest, DisabledButtonCannotBeClicked) {
  TestPage page(app, {});
  page.SetPositionKind(kFirstPage);
  ModalDriver driver;
  driver.Click("backButton").PressEscape().SameWindow();
  EXPECT_EQ(Show(page, driver), kNavCancel);
}

TEST_F(WizardPageTest, RefusedValidationKeepsThePageOpen) {
  TestPage page(app, {});
  page.valid = false;
  ModalDriver driver;
  driver.Click("finishButton").Click("finishButton").SameWindow().Inspect([&](QWidget&) {
    page.valid = true;
  });
  EXPECT_EQ(Show(page, driver), kNavFinish);
  EXPECT_EQ(driver.steps_done(), 2);
}

TEST_F(WizardPageTest, CornerIsRecordedOnNextButNotOnCancel) {
  app.host().placement_flag = true;
  app.host().placement_x = 500;
  app.host().placement_y = 400;
  TestPage page(app, {});
  const auto move_by = [](QWidget& window) { window.move(window.pos() + QPoint(30, 20)); };
  ModalDriver cancel;
  cancel.PressEscape().Inspect(move_by);
  Show(page, cancel);
  EXPECT_EQ(QPoint(app.host().placement_x, app.host().placement_y), QPoint(500, 400));
  ModalDriver next;
  next.Click("nextButton").Inspect(move_by);
  Show(page, next);
  EXPECT_EQ(QPoint(app.host().placement_x, app.host().placement_y), QPoint(530, 420));
}

TEST_F(WizardPageTest, F1AsksForHelp) {
  TestPage page(app, {});
  ModalDriver driver;
  driver.PressKey(Qt::Key_F1).PressEscape().SameWindow();
  Show(page, driver);
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].text, "Can't find the Vortalis help file ");
}

// ---- Loss of focus ----

TEST_F(WizardPageTest, FocusLostRunsWhenTheFocusMovesOnOnly) {
  int lost = 0;
  class ComboPage : public TestPage {
   public:
    ComboPage(WizardApp& app, int& lost) : TestPage(app, {}), lost_(lost) {}

   protected:
    void CreateControls(QDialog& page) override {
      TestPage::CreateControls(page);
      auto* combo = new QComboBox(&page);
      NameControl(combo, "valueList", QStringLiteral("Value"));
      combo->setEditable(true);
      combo->addItems({"4", "5"});
      combo->setGeometry(10, 40, 120, 20);
      OnFocusLost(combo, [this](Qt::FocusReason) { ++lost_; });
    }

   private:
    int& lost_;
  } page(app, lost);

  ModalDriver driver;
  driver.Look().Inspect([&](QWidget& window) {
    auto* combo = window.findChild<QComboBox*>("valueList");
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(combo, Qt::Key_Tab);  // focus to the next control
    EXPECT_EQ(lost, 1);
    // A drop-down opening or the window going inactive is no loss.
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
      QFocusEvent out(QEvent::FocusOut, reason);
      QApplication::sendEvent(combo, &out);
    }
    EXPECT_EQ(lost, 1);
    combo->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(window.findChild<QPushButton*>("backButton"), Qt::LeftButton);
  });
  page.SetPositionKind(kMiddlePage);
  EXPECT_EQ(Show(page, driver), kNavBack);  // the click went on after the handler
  EXPECT_EQ(lost, 2);
}

// ---- Placement ----

TEST_F(WizardPageTest, FirstPageIsCentredOnTheDesktop) {
  TestPage page(app, {{301, 201}, "", true});
  ModalDriver driver;
  driver.PressEscape();
  Show(page, driver);

  const QRect desktop = QGuiApplication::primaryScreen()->geometry();
  const int cx = (2 * desktop.x() + desktop.width()) / 2;
  const int cy = (2 * desktop.y() + desktop.height()) / 2;
  EXPECT_EQ(driver.seen().at(0).geometry, QRect(cx - 150, cy - 120, 301, 241));
  EXPECT_TRUE(app.host().placement_flag);
  EXPECT_EQ(QPoint(app.host().placement_x, app.host().placement_y), QPoint(cx + 150, cy + 120));
}

TEST_F(WizardPageTest, PlacementPointIsTheLowerRightCorner) {
  app.host().placement_flag = true;
  app.host().placement_x = 600;
  app.host().placement_y = 400;
  TestPage page(app, {{200, 100}, "", true});
  ModalDriver driver;
  driver.PressEscape();
  Show(page, driver);
  EXPECT_EQ(driver.seen().at(0).geometry, QRect(600 - 253, 400 - 140, 253, 140));
}

}  // namespace
}  // namespace codexel::testing
