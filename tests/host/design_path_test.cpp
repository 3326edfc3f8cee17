#include "platform/design_path.h"

#include <gtest/gtest.h>

namespace codexel {
namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* directory;
  const char* base;
  const char* extension;
};

class SplitPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathTest, SplitsIntoFourParts) {
  const SplitCase& c = GetParam();
  const PathParts parts = SplitPath(c.path);
  EXPECT_EQ(parts.drive, c.drive);
  EXPECT_EQ(parts.directory, c.directory);
  EXPECT_EQ(parts.base_name, c.base);
  EXPECT_EQ(parts.extension, c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitPathTest,
    ::testing::Values(SplitCase{"c:\\work\\rs.tdf", "c:", "\\work\\", "rs", ".tdf"},
                      SplitCase{"d:/proj/codec.tdf", "d:", "/proj/", "codec", ".tdf"},
                      SplitCase{"/tmp/x/rs.vhd", "", "/tmp/x/", "rs", ".vhd"},
                      SplitCase{"rs.v", "", "", "rs", ".v"},
                      SplitCase{"c:\\work\\rs", "c:", "\\work\\", "rs", ""},
                      // Only the last component's dot starts the extension.
                      SplitCase{"/a.b/c", "", "/a.b/", "c", ""},
                      SplitCase{"/a/b.c.tdf", "", "/a/", "b.c", ".tdf"},
                      SplitCase{"/mixed\\seps/x.tdf", "", "/mixed\\seps/", "x", ".tdf"},
                      // A digit and a colon are no drive.
                      SplitCase{"1:x.tdf", "", "", "1:x", ".tdf"}, SplitCase{"", "", "", "", ""},
                      SplitCase{"/dir/", "", "/dir/", "", ""}));

TEST(ReplaceExtensionTest, KeepsDirectoryAndBase) {
  EXPECT_EQ(ReplaceExtension("/opt/codexel/bin/codexel", ".hlp"), "/opt/codexel/bin/codexel.hlp");
  EXPECT_EQ(ReplaceExtension("c:\\tools\\wiz.exe", ".hlp"), "c:\\tools\\wiz.hlp");
}

}  // namespace
}  // namespace codexel
