// The modal window driver itself: nested windows, and failures that end in
// a failed test instead of a hang.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/qt_message_box.h"
#include "platform/qt_services.h"
#include "tests/pages/page_test_support.h"
#include "tests/support/modal_helper.h"

namespace codexel::testing {
namespace {

using std::chrono::milliseconds;

// A page that refuses to be left once, explaining why in a real message box.
class RefusingPage : public TestPage {
 public:
  RefusingPage(WizardApp& app, MessageService& boxes) : TestPage(app, {}), boxes_(boxes) {}
  bool ValidatePage() override {
    if (refusals_left_ == 0) return true;
    --refusals_left_;
    boxes_.Show("Invalid page", "Please look again.");
    return false;
  }

 private:
  MessageService& boxes_;
  int refusals_left_ = 1;
};

class ModalDriverTest : public ::testing::Test {
 protected:
  FakeServices fake;
  TestApp app{fake.services, {}};
};

TEST_F(ModalDriverTest, DrivesAMessageBoxOpenedByAHandler) {
  QtMessageService boxes;
  RefusingPage page(app, boxes);
  ModalDriver driver;
  driver.Click("finishButton").Click("okButton").Click("finishButton");
  EXPECT_EQ(page.ShowModal(), kNavFinish);
  driver.Finish();
  ASSERT_EQ(driver.seen().size(), 3u);
  EXPECT_EQ(driver.seen()[1].object_name, "messageBox");
  EXPECT_EQ(driver.seen()[1].title, "Invalid page");
  EXPECT_EQ(driver.seen()[2].object_name, "wizardPage");
}

TEST_F(ModalDriverTest, UnknownButtonFailsAndClosesTheWindow) {
  TestPage page(app, {});
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver driver(milliseconds(300));
        driver.Click("noSuchButton");
        page.ShowModal();
      },
      "no button named noSuchButton");
  EXPECT_EQ(page.dialog(), nullptr);
}

TEST_F(ModalDriverTest, WindowLeftOpenFailsAndIsClosed) {
  TestPage page(app, {});
  page.valid = false;  // Finish is refused: the page stays
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver driver(milliseconds(300));
        driver.Click("finishButton");
        page.ShowModal();
      },
      "still open after the last step");
}

TEST_F(ModalDriverTest, UnexpectedWindowFails) {
  TestPage page(app, {});
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver driver(milliseconds(300));
        page.ShowModal();
      },
      "still open after the last step");
}

TEST_F(ModalDriverTest, StepsThatNeverRanFail) {
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver driver(milliseconds(300));
        driver.PressEnter();
        driver.Finish();
      },
      "1 step(s) never ran");
}

}  // namespace
}  // namespace codexel::testing
