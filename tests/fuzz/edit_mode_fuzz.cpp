// libFuzzer entry: any bytes as the wizard information file of an existing
// variation (tests/fuzz/fuzz_checks.h).

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto finding =
      codexel::fuzz::CheckEditMode({reinterpret_cast<const char*>(data), size});
  if (finding) {
    std::fprintf(stderr, "edit mode: %s\n", finding->c_str());
    std::abort();
  }
  return 0;
}
