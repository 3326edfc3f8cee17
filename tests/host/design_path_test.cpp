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
  const PathStyle* style = &kPosixPaths;
};

class SplitPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathTest, SplitsIntoFourParts) {
  const SplitCase& c = GetParam();
  const PathParts parts = SplitPath(c.path, *c.style);
  EXPECT_EQ(parts.drive, c.drive);
  EXPECT_EQ(parts.directory, c.directory);
  EXPECT_EQ(parts.base_name, c.base);
  EXPECT_EQ(parts.extension, c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitPathTest,
    ::testing::Values(SplitCase{"/tmp/x/rs.vhd", "", "/tmp/x/", "rs", ".vhd"},
                      SplitCase{"rs.v", "", "", "rs", ".v"},
                      // Only the last component's dot starts the extension.
                      SplitCase{"/a.b/c", "", "/a.b/", "c", ""},
                      SplitCase{"/a/b.c.tdf", "", "/a/", "b.c", ".tdf"},
                      SplitCase{"", "", "", "", ""}, SplitCase{"/dir/", "", "/dir/", "", ""},
                      // Here a backslash or a colon is part of a name.
                      SplitCase{"a\\b.tdf", "", "", "a\\b", ".tdf"},
                      SplitCase{"/w/a\\b.tdf", "", "/w/", "a\\b", ".tdf"},
                      SplitCase{"c:\\work\\rs.tdf", "", "", "c:\\work\\rs", ".tdf"},
                      SplitCase{"d:/proj/codec.tdf", "", "d:/proj/", "codec", ".tdf"},
                      // Windows: both separators, and a drive.
                      SplitCase{"c:\\work\\rs.tdf", "c:", "\\work\\", "rs", ".tdf", &kWindowsPaths},
                      SplitCase{"d:/proj/codec.tdf", "d:", "/proj/", "codec", ".tdf",
                                &kWindowsPaths},
                      SplitCase{"c:\\work\\rs", "c:", "\\work\\", "rs", "", &kWindowsPaths},
                      SplitCase{"/mixed\\seps/x.tdf", "", "/mixed\\seps/", "x", ".tdf",
                                &kWindowsPaths},
                      // A digit and a colon are no drive.
                      SplitCase{"1:x.tdf", "", "", "1:x", ".tdf", &kWindowsPaths}));

TEST(SplitPathTest, NativeStyleOfThisPlatform) {
  EXPECT_EQ(SplitPath("/w/a\\b.tdf").base_name, "a\\b");
  EXPECT_FALSE(HasDirectory("a\\b.tdf"));
  EXPECT_FALSE(HasDirectory("e:f.cmp"));
  EXPECT_TRUE(HasDirectory("a/b.tdf"));
  EXPECT_TRUE(HasDirectory("c\\d.inc", kWindowsPaths));
  EXPECT_TRUE(HasDirectory("e:f.cmp", kWindowsPaths));
}

TEST(ReplaceExtensionTest, KeepsDirectoryAndBase) {
  EXPECT_EQ(ReplaceExtension("/opt/codexel/bin/codexel", ".hlp"), "/opt/codexel/bin/codexel.hlp");
  EXPECT_EQ(ReplaceExtension("/opt/a.b/wiz\\x", ".hlp"), "/opt/a.b/wiz\\x.hlp");
  EXPECT_EQ(ReplaceExtension("c:\\tools\\wiz.exe", ".hlp", kWindowsPaths), "c:\\tools\\wiz.hlp");
}

}  // namespace
}  // namespace codexel
