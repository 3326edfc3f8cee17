// Writes the generated seed inputs of the fuzz harnesses into
// DIR/edit_mode and DIR/gen_args, one file each.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/fuzz/fuzz_checks.h"

namespace {

bool WriteSeeds(const std::filesystem::path& dir, const std::vector<codexel::fuzz::Seed>& seeds) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  for (const auto& [name, bytes] : seeds) {
    std::ofstream out(dir / name, std::ios::binary);
    out << bytes;
    out.close();
    if (!out) {
      std::fprintf(stderr, "make_seeds: cannot write %s\n", (dir / name).c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const bool ok = WriteSeeds(dir / "edit_mode", codexel::fuzz::EditModeSeeds()) &&
                  WriteSeeds(dir / "gen_args", codexel::fuzz::GenArgumentSeeds());
  return ok ? 0 : 1;
}
