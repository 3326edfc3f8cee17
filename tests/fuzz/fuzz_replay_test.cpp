// The fuzz harnesses' checks in the normal suite: over the generated seeds,
// the golden variations, and every input a finding left in
// tests/fuzz/regressions/ (edit_mode/, gen_args/).

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fuzz/fuzz_checks.h"
#include "tests/support/test_files.h"

namespace codexel::fuzz {
namespace {

using Check = std::optional<std::string> (*)(std::string_view);

std::vector<Seed> FilesIn(const std::filesystem::path& dir) {
  std::vector<Seed> inputs;
  if (!std::filesystem::is_directory(dir)) return inputs;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.is_regular_file()) {
      inputs.emplace_back(entry.path().filename().string(),
                          testing::ReadFile(entry.path().string()));
    }
  }
  return inputs;
}

void ExpectNoFinding(Check check, const std::vector<Seed>& inputs) {
  for (const auto& [name, bytes] : inputs) {
    EXPECT_EQ(check(bytes), std::nullopt) << name;
  }
}

const std::filesystem::path kRegressions = CODEXEL_FUZZ_REGRESSIONS_DIR;

TEST(FuzzReplayTest, EditModeSeedsGoldenFilesAndRegressions) {
  const std::vector<Seed> seeds = EditModeSeeds();
  ASSERT_GE(seeds.size(), 10u);
  ExpectNoFinding(CheckEditMode, seeds);
  const std::vector<Seed> golden = FilesIn(std::filesystem::path(CODEXEL_TEST_DATA_DIR) / "rs_app");
  ASSERT_FALSE(golden.empty());
  ExpectNoFinding(CheckEditMode, golden);
  ExpectNoFinding(CheckEditMode, FilesIn(kRegressions / "edit_mode"));
}

TEST(FuzzReplayTest, GenArgumentSeedsAndRegressions) {
  ExpectNoFinding(CheckGenArguments, GenArgumentSeeds());
  ExpectNoFinding(CheckGenArguments, FilesIn(kRegressions / "gen_args"));
}

TEST(FuzzReplayTest, ArgumentsAreSplitAtNulBytes) {
  EXPECT_EQ(SplitArguments(std::string_view("a\0\0b", 4)),
            (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitArguments(std::string_view("a\0", 2)), std::vector<std::string>{"a"});
  EXPECT_TRUE(SplitArguments("").empty());
  EXPECT_EQ(SplitArguments(JoinArguments({"-m", "", "x.v"})),
            (std::vector<std::string>{"-m", "", "x.v"}));
}

}  // namespace
}  // namespace codexel::fuzz
