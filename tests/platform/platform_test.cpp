// The real platform services: socket notification, files, text measuring.

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

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("codexel-fs-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Contents(const std::string& path) { return testing::ReadFile(path); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::function<void(std::ostream&)> Text(const std::string& text) {
    return [text](std::ostream& out) { out << text; };
  }

  fs::path dir_;
  PosixFileSystem files_;
};

TEST_F(PosixFileSystemTest, WritesReplacesAndReads) {
  for (WriteMode mode : {WriteMode::kReplace, WriteMode::kAtomic}) {
    const std::string path = Path("a.cnx");
    ASSERT_TRUE(files_.WriteFile(path, Text("first version, longer\n"), mode).ok());
    ASSERT_TRUE(files_.WriteFile(path, Text("second\n"), mode).ok());
    EXPECT_EQ(Contents(path), "second\n");
    auto in = files_.OpenForReading(path);
    ASSERT_NE(in, nullptr);
    std::string line;
    std::getline(*in, line);
    EXPECT_EQ(line, "second");
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.cnx"}) << "no temporary file left";
    EXPECT_TRUE(files_.Remove(path));
  }
}

TEST_F(PosixFileSystemTest, AtomicFileGetsOrdinaryPermissions) {
  const std::string path = Path("perm.cnx");
  ASSERT_TRUE(files_.WriteFile(path, Text("x"), WriteMode::kAtomic).ok());
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(fs::status(path).permissions(),
            static_cast<fs::perms>(0666 & ~mask));
}

TEST_F(PosixFileSystemTest, MissingDirectoryFailsToOpen) {
  for (WriteMode mode : {WriteMode::kReplace, WriteMode::kAtomic}) {
    const WriteOutcome outcome = files_.WriteFile(Path("nodir/x.vec"), Text("x"), mode);
    EXPECT_EQ(outcome.failure, WriteOutcome::Failure::kOpen);
    EXPECT_EQ(outcome.reason, std::strerror(ENOENT));
  }
}

TEST_F(PosixFileSystemTest, ExistsRemoveAndUnreadable) {
  EXPECT_FALSE(files_.Exists(Path("none")));
  EXPECT_FALSE(files_.Remove(Path("none")));
  EXPECT_EQ(files_.OpenForReading(Path("none")), nullptr);
  EXPECT_EQ(files_.OpenForReading(dir_.string()), nullptr) << "a directory is no file";
  EXPECT_TRUE(files_.Exists(dir_.string()));
}

TEST_F(PosixFileSystemTest, FailedWriteLeavesNoPartialFile) {
  const std::string big(4096, 'x');
  const std::string vec = Path("rs.vec");
  {
    testing::FileSizeLimit limit(1000);
    const WriteOutcome outcome = files_.WriteFile(vec, Text(big), WriteMode::kReplace);
    EXPECT_EQ(outcome.failure, WriteOutcome::Failure::kWrite);
    EXPECT_EQ(outcome.reason, std::strerror(EFBIG));
  }
  EXPECT_FALSE(fs::exists(vec));
}

TEST_F(PosixFileSystemTest, FailedWriteToADeviceLeavesTheDevice) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const WriteOutcome outcome =
      files_.WriteFile("/dev/full", Text(std::string(100, 'z')), WriteMode::kReplace);
  EXPECT_EQ(outcome.failure, WriteOutcome::Failure::kWrite);
  EXPECT_EQ(outcome.reason, std::strerror(ENOSPC));
  EXPECT_TRUE(fs::exists("/dev/full"));
}

TEST_F(PosixFileSystemTest, FailedAtomicWriteKeepsTheOldFile) {
  const std::string cnx = Path("rs.cnx");
  ASSERT_TRUE(files_.WriteFile(cnx, Text("old variation\n"), WriteMode::kAtomic).ok());
  {
    testing::FileSizeLimit limit(1000);
    const WriteOutcome outcome =
        files_.WriteFile(cnx, Text(std::string(4096, 'y')), WriteMode::kAtomic);
    EXPECT_EQ(outcome.failure, WriteOutcome::Failure::kWrite);
  }
  EXPECT_EQ(Contents(cnx), "old variation\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"rs.cnx"});
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
