// The real platform services: socket notification and text measuring (the
// files have a suite of their own, file_fault_test).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFontInfo>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/font_request.h"
#include "platform/qt_font.h"
#include "platform/qt_services.h"
#include "tests/support/test_files.h"
#include "tests/support/test_socket.h"

namespace codexel {
namespace {

namespace fs = std::filesystem;

TEST(SocketCallerNotifierTest, SendsOneDatagramPerPost) {
  const int id = 700000 + static_cast<int>(::getpid() % 100000);
  testing::TestSocket socket("quillwork-" + std::to_string(id));
  ASSERT_TRUE(socket.bound());
  SocketCallerNotifier notifier;
  notifier.Post(id, 1034, 600, 400);
  notifier.Post(id, 1034, -5, 0);
  notifier.Post(id + 1, 1034, 1, 1);  // nobody listens there: dropped silently
  EXPECT_EQ(socket.Drain(), (std::vector<std::string>{"1034 600 400", "1034 -5 0"}));
}

TEST(SocketCallerNotifierTest, NameUsesTheIdInDecimal) {
  EXPECT_EQ(SocketCallerNotifier::SocketName(1234), "quillwork-1234");
  EXPECT_EQ(SocketCallerNotifier::SocketName(-3), "quillwork--3");
}

TEST(FontRequestTest, CharacterHeightFromPointsAndResolution) {
  EXPECT_EQ(MakeFontRequest("Arial", 8, false, 96).cell_height, -11);
  EXPECT_EQ(MakeFontRequest("Arial", 7, false, 96).cell_height, -9);
  EXPECT_EQ(MakeFontRequest("Arial", 10, false, 96).cell_height, -13);
  EXPECT_EQ(MakeFontRequest("Arial", 10, false, 120).cell_height, -17);
  const FontRequest vertical = MakeFontRequest(std::string(40, 'F'), 8, true, 96);
  EXPECT_EQ(vertical.escapement, 900);
  EXPECT_EQ(vertical.orientation, 900);
  EXPECT_EQ(vertical.face.size(), 31u);
  EXPECT_EQ(vertical.pitch_and_family, 48);
  EXPECT_EQ(vertical.quality, 2);
}

TEST(QtTextMetricsTest, ArialIsServedByAMetricCompatibleFace) {
  QtTextMetrics metrics;
  const int dpi = metrics.VerticalDpi();
  EXPECT_GT(dpi, 0);
  const QFont font = MakeQFont(MakeFontRequest("Arial", 8, false, dpi));
  EXPECT_EQ(font.pixelSize(), (8 * dpi + 36) / 72);
  EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
}

TEST(QtTextMetricsTest, WidthsAddUpAndHeightsGrowWithTheSize) {
  QtTextMetrics metrics;
  const FontFace arial8{"Arial", 8};
  const int single = metrics.Width(arial8, "rsin");
  EXPECT_GT(single, 10);
  EXPECT_EQ(metrics.Width(arial8, "rsinrsin"), 2 * single) << "no kerning between repeats";
  EXPECT_EQ(metrics.Width(arial8, ""), 0);
  EXPECT_LT(metrics.Height({"Arial", 7}, "x"), metrics.Height({"Arial", 10}, "x"));
  EXPECT_EQ(metrics.Height(arial8, "x"), metrics.Height(arial8, "a much longer text"));
}

}  // namespace
}  // namespace codexel
