#pragma once
// The RS application on test doubles, for a new variation of /w/rs.tdf with
// its symbol laid out, and its RS pages shown offscreen.

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <memory>

#include "rs_pages/rs_page_factory.h"
#include "tests/support/fakes.h"
#include "tests/support/modal_helper.h"

namespace codexel::testing {

class RsPageTest : public ::testing::Test {
 protected:
  RsPageTest() {
    app_.SetDesignPath("/w/rs.tdf");
    app_.set_new_file(true);
    app_.LayoutSymbol();
  }

  std::unique_ptr<PageInterface> MakePage(RsPageKind kind) {
    return factory_.CreateRsPage(app_, kind);
  }

  // Shows `page` once as a middle page; the driver's steps act on it.
  // Returns how the page was left.
  static int Show(PageInterface& page, ModalDriver& driver) {
    page.SetTitle("page");
    page.SetPositionKind(kMiddlePage);
    const int result = page.ShowModal();
    driver.Finish();
    return result;
  }
  // Shows `page` once: `act` runs on its window, then `leave` is clicked.
  static int Show(PageInterface& page, const std::function<void(QWidget&)>& act,
                  const char* leave = "cancelButton") {
    ModalDriver driver;
    driver.Click(leave).Inspect(act);
    return Show(page, driver);
  }
  int Show(RsPageKind kind, const std::function<void(QWidget&)>& act,
           const char* leave = "cancelButton") {
    return Show(*MakePage(kind), act, leave);
  }

  FakeServices fake_;
  QtRsPageFactory factory_;
  RsWizardApp app_{fake_.services, &factory_};
};

}  // namespace codexel::testing
