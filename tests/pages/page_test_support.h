#pragma once
// Test pages and a test application for the page tests.

#include <QDialog>
#include <QLineEdit>
#include <QRect>
#include <QSize>
#include <memory>
#include <string>
#include <vector>

#include "host/qt_page_factory.h"
#include "host/wizard_app.h"
#include "host/wizard_page.h"
#include "tests/support/fakes.h"

namespace codexel::testing {

inline const std::string kTitleStart = "Quillwork Plug-In Manager - CODEXEL V1.00";

// The title the loop gives page `number` of `total`.
inline std::string PageTitle(int number, int total) {
  return kTitleStart + " [page " + std::to_string(number) + " of " + std::to_string(total) + "]";
}

struct PageSetup {
  QSize size{300, 200};
  std::string caption;
  bool shown = true;
};

// A page with one text field ("nameField") and its label.
class TestPage : public WizardPage {
 public:
  TestPage(WizardApp& app, const PageSetup& setup, std::vector<QRect>* opened_rects = nullptr)
      : WizardPage(app, PageTemplate{setup.caption, setup.size}),
        shown(setup.shown),
        opened_rects_(opened_rects) {}

  bool IsPageShown() override { return shown; }
  bool ValidatePage() override { return valid; }

  bool shown;
  bool valid = true;
  int openings = 0;

 protected:
  void CreateControls(QDialog& page) override {
    auto* field = new QLineEdit(&page);
    NameControl(field, "nameField", QStringLiteral("Name"));
    field->setGeometry(10, 10, 120, 20);
  }
  void OnPageOpened() override {
    ++openings;
    if (opened_rects_) opened_rects_->push_back(PageRect());
  }

 private:
  std::vector<QRect>* opened_rects_;
};

// A wizard whose Begin adds test pages (and the Summary page if asked)
// before the host's begin step.
class TestApp : public WizardApp {
 public:
  TestApp(PlatformServices& services, std::vector<PageSetup> pages, bool summary = false)
      : WizardApp("Codexel V1.00", nullptr, services, &factory_),
        setups_(std::move(pages)),
        summary_(summary) {}

  bool Begin() override {
    for (const PageSetup& setup : setups_) {
      AddPage(std::make_unique<TestPage>(*this, setup, &opened_rects));
    }
    if (summary_) AddSummaryPage();
    return WizardApp::Begin();
  }

  TestPage* test_page(int slot) const { return dynamic_cast<TestPage*>(page(slot)); }

  // Where each showing put its page, as the page asked the window system.
  std::vector<QRect> opened_rects;

 private:
  QtPageFactory factory_;
  std::vector<PageSetup> setups_;
  bool summary_;
};

inline std::vector<PageSetup> Pages(int count, QSize size = {300, 200}) {
  return std::vector<PageSetup>(static_cast<std::size_t>(count), PageSetup{size, "", true});
}

// The titles of the windows a driver saw.
template <class Driver>
std::vector<std::string> SeenTitles(const Driver& driver) {
  std::vector<std::string> titles;
  for (const auto& seen : driver.seen()) titles.push_back(seen.title.toStdString());
  return titles;
}

}  // namespace codexel::testing
