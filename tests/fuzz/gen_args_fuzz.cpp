// libFuzzer entry: any bytes as codexel-gen's argument vector, arguments
// separated by NUL bytes (tests/fuzz/fuzz_checks.h).

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto finding =
      codexel::fuzz::CheckGenArguments({reinterpret_cast<const char*>(data), size});
  if (finding) {
    std::fprintf(stderr, "codexel-gen arguments: %s\n", finding->c_str());
    std::abort();
  }
  return 0;
}
