#pragma once
// Whole-file comparisons against reviewed copies under tests/data. A missing
// copy is written from the output and the test fails, so that a new golden
// file is always looked at before it is trusted.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace codexel::testing {

inline std::string GoldenPath(const std::string& name) {
  return std::string(CODEXEL_TEST_DATA_DIR) + "/" + name;
}

inline void ExpectMatchesGolden(const std::string& actual, const std::string& name) {
  const std::string path = GoldenPath(name);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << actual;
    ADD_FAILURE() << "golden file " << path << " was missing and has been written; review it";
    return;
  }
  std::ostringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(actual, expected.str()) << "differs from " << path;
}

}  // namespace codexel::testing
