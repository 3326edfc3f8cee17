// Page-exit notifications sent through the real socket notifier.

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/qt_services.h"
#include "tests/pages/page_test_support.h"
#include "tests/support/test_socket.h"
#include "tests/support/modal_helper.h"

namespace codexel::testing {
namespace {

class NotificationTest : public ::testing::Test {
 protected:
  NotificationTest()
      : id_(static_cast<int>(::getpid()) % 1000000 * 10 + 7),
        socket_(SocketCallerNotifier::SocketName(id_)) {}

  int Run(std::vector<std::string> args, ModalDriver& driver) {
    TestApp app(services_, Pages(3));
    args.push_back("/work/x/rs.vhd");
    const int status = app.Run(args);
    driver.Finish();
    return status;
  }

  std::string Expected(int x, int y) const {
    return "1034 " + std::to_string(x) + " " + std::to_string(y);
  }

  FakeServices fake_;
  SocketCallerNotifier notifier_;
  PlatformServices services_{fake_.messages, notifier_, fake_.metrics, fake_.files, fake_.process};
  int id_;
  TestSocket socket_;
};

TEST_F(NotificationTest, OneMessagePerPageExitWithTheCorner) {
  ASSERT_TRUE(socket_.bound());
  ModalDriver driver;
  driver.Click("nextButton")
      .Click("backButton")
      .PressEnter()  // plain accept: no notification
      .Click("nextButton")
      .Inspect([](QWidget& window) { window.move(window.pos() + QPoint(5, 6)); })
      .Click("finishButton");
  EXPECT_EQ(Run({"-n", "-h" + std::to_string(id_), "-x600", "-y400"}, driver), 0);
  EXPECT_EQ(socket_.Drain(), (std::vector<std::string>{Expected(600, 400), Expected(600, 400),
                                                       Expected(605, 406), Expected(605, 406)}));
}

TEST_F(NotificationTest, CancelSendsTheLastRecordedCorner) {
  ASSERT_TRUE(socket_.bound());
  ModalDriver driver;
  driver.Click("nextButton").PressEscape().Inspect([](QWidget& window) {
    window.move(window.pos() + QPoint(50, 50));
  });
  EXPECT_EQ(Run({"-n", "-h" + std::to_string(id_), "-x500", "-y300"}, driver), 2);
  EXPECT_EQ(socket_.Drain(), (std::vector<std::string>{Expected(500, 300), Expected(500, 300)}));
}

TEST_F(NotificationTest, NothingIsSentWithoutH) {
  ASSERT_TRUE(socket_.bound());
  ModalDriver driver;
  driver.Click("nextButton").Click("finishButton");
  EXPECT_EQ(Run({"-n"}, driver), 0);
  EXPECT_TRUE(socket_.Drain().empty());
}

}  // namespace
}  // namespace codexel::testing
