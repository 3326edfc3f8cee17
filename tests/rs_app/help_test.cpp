// F1 on the wizard's pages: the program's own help window on the help file
// that the build puts beside the program, while each page stays modal.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWindow>
#include <functional>
#include <map>
#include <utility>

#include "platform/qt_help_viewer.h"
#include "rs_engine/rs_wizard_app.h"
#include "rs_pages/rs_page_factory.h"
#include "tests/support/fakes.h"
#include "tests/support/modal_helper.h"
#include "tests/support/page_checks.h"
#include "tests/support/test_files.h"

namespace codexel {
namespace {

using testing::ClickButton;
using testing::Get;

const QString kHelpTitle = QStringLiteral("Codexel V1.00 Help");

// The help window shows the heading in its title and has its caret on it
// near the top of the view (or in view, when the help ends too soon for it
// to reach the top).
void ExpectHelpAt(QWidget* window, const QString& heading) {
  ASSERT_TRUE(window && window->isVisible()) << "no help window for " << heading;
  EXPECT_EQ(window->windowTitle(), kHelpTitle + " -- " + heading);
  auto& text = Get<QTextBrowser>(*window, "helpText");
  EXPECT_EQ(text.textCursor().block().text().trimmed(), heading);
  const int top = text.cursorRect().top();
  const QScrollBar& bar = *text.verticalScrollBar();
  EXPECT_TRUE(top >= 0 && top < (bar.value() == bar.maximum() ? text.viewport()->height() : 40))
      << heading << " stands " << top << " pixels down";
}

// A key as the window system delivers it: refused to a window that a modal
// page blocks.
void PressOnWindow(QWidget* window, Qt::Key key) {
  QTest::keyClick(window->windowHandle(), key);
  QCoreApplication::processEvents();
}

// Everything a user sees of a page's controls, one line each.
std::vector<QString> ControlStates(QWidget& page) {
  std::vector<QString> states;
  for (QWidget* control : page.findChildren<QWidget*>()) {
    QString state = control->objectName() + (control->isEnabled() ? " on" : " off");
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      state += button->isChecked() ? " marked" : "";
    } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
      state += " '" + field->text() + "'";
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      for (int i = 0; i < list->count(); ++i) state += " " + list->itemText(i);
    } else if (auto* box = qobject_cast<QListWidget*>(control)) {
      for (int i = 0; i < box->count(); ++i) state += " " + box->item(i)->text();
    }
    states.push_back(state);
  }
  states.push_back("focus " + (page.focusWidget() ? page.focusWidget()->objectName() : ""));
  return states;
}

// Each page's heading in the help, and what the user has begun on the page
// when F1 is pressed, from the focused control: a value typed and not yet
// checked, a result shown.
struct PageCase {
  const char* heading;
  std::function<void(QWidget&)> begin;
};
const PageCase kPages[] = {
    {"Device type", [](QWidget& w) { ClickButton(w, "decoderButton"); }},
    {"RS parameters",
     [](QWidget& w) {
       auto& bits = Get<QComboBox>(w, "bitsField");
       bits.setFocus(Qt::TabFocusReason);
       bits.lineEdit()->selectAll();
       QTest::keyClicks(&bits, "6");
     }},
    {"Extra files",
     [](QWidget& w) {
       QTest::keyClicks(&Get(w, "frequencyField"), "100");
       ClickButton(w, "calculateButton");
       Get(w, "frequencyField").setFocus(Qt::TabFocusReason);
     }},
    {"Order codes", nullptr},
    {"Summary", nullptr},
};

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes_.process.executable_path = CODEXEL_PROGRAM_PATH;
    fakes_.files.files[kHelpFile] = testing::ReadFile(kHelpFile);
  }

  // A new Verilog design through the five pages to Finish; on each page
  // (0 to 4) its beginning, then `act`. Returns the files the run wrote.
  std::map<std::string, std::string> Run(const std::function<void(int, QWidget&)>& act) {
    RsWizardApp app(services_, &pages_);
    testing::ModalDriver driver(std::chrono::seconds(20));
    for (int page = 0; page < 5; ++page) {
      driver.Click(page == 4 ? "finishButton" : "nextButton").Inspect([&, page](QWidget& w) {
        if (kPages[page].begin) kPages[page].begin(w);
        if (act) act(page, w);
      });
    }
    EXPECT_EQ(app.Run({"-n", "/w/rs.v"}), 0);
    driver.Finish();
    std::map<std::string, std::string> written = std::exchange(fakes_.files.files, {});
    fakes_.files.files[kHelpFile] = written.extract(kHelpFile).mapped();
    return written;
  }

  const std::string kHelpFile = CODEXEL_PROGRAM_PATH ".hlp";  // the build's copy
  testing::FakeServices fakes_;
  QtHelpViewer help_;
  PlatformServices services_{fakes_.messages, fakes_.notifier, fakes_.metrics,
                             fakes_.files,    fakes_.process,  &help_};
  QtRsPageFactory pages_;
};

TEST_F(HelpTest, F1OnEachPageOpensItsSectionAndChangesNothing) {
  const std::map<std::string, std::string> without_help = Run(nullptr);
  ASSERT_EQ(without_help.count("/w/rs.cnx"), 1u);
  const std::map<std::string, std::string> with_help = Run([&](int page, QWidget& w) {
    const QString heading = kPages[page].heading;
    const std::vector<QString> before = ControlStates(w);
    if (page == 1) {  // the help left open on the page before is not blocked by this one
      PressOnWindow(help_.window(), Qt::Key_Escape);
      EXPECT_FALSE(help_.window()->isVisible()) << "Escape did not reach the help";
    }
    // The help of the page before may still be open: F1 brings it here.
    QTest::keyClick(w.focusWidget() ? w.focusWidget() : &w, Qt::Key_F1);
    QWidget* help = help_.window();
    ExpectHelpAt(help, heading);
    // Read by keyboard beside the modal page; F1 in it goes back.
    PressOnWindow(help, Qt::Key_PageDown);
    PressOnWindow(help, Qt::Key_F1);
    ExpectHelpAt(help, heading);
    if (page == 2) {  // the section's one link, reached by Tab, followed by Enter
      PressOnWindow(help, Qt::Key_Tab);
      PressOnWindow(help, Qt::Key_Return);
      ExpectHelpAt(help, "The core in brief");
    }
    if (page == 1 || page == 3) PressOnWindow(help, Qt::Key_Escape);
    if (page == 4) {
      testing::ExpectAccessibleNames(*help);
      EXPECT_EQ(help->accessibleName(), help->windowTitle());
      EXPECT_EQ(Get(*help, "helpText").accessibleName(), kHelpTitle);
      ClickButton(*help, "closeButton");
    }
    EXPECT_EQ(help->isVisible(), page % 2 == 0 && page < 4) << heading;
    EXPECT_EQ(ControlStates(w), before) << heading;
  });
  EXPECT_TRUE(fakes_.messages.shown.empty()) << fakes_.messages.shown.front().text;
  EXPECT_EQ(with_help, without_help);
}

TEST_F(HelpTest, EveryLinkLeadsToASection) {
  const std::string& html = fakes_.files.files[kHelpFile];
  std::size_t links = 0;
  for (std::size_t at = 0; (at = html.find("href=\"#", at)) != std::string::npos; ++links) {
    at += 7;
    const std::string anchor = html.substr(at, html.find('"', at) - at);
    EXPECT_NE(html.find("<a name=\"" + anchor + "\">"), std::string::npos) << anchor;
  }
  EXPECT_GE(links, 10u) << "the build wrote no help beside the program";
}

}  // namespace
}  // namespace codexel
