// libFuzzer entry of one harness: CODEXEL_FUZZ_CHECK names its check in
// tests/fuzz/fuzz_checks.h. A finding is printed and aborts the run, so that
// libFuzzer keeps the input.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/fuzz_checks.h"

#define CODEXEL_STRING(name) #name
#define CODEXEL_NAME(name) CODEXEL_STRING(name)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto finding =
      codexel::fuzz::CODEXEL_FUZZ_CHECK({reinterpret_cast<const char*>(data), size});
  if (finding) {
    std::fprintf(stderr, "%s: %s\n", CODEXEL_NAME(CODEXEL_FUZZ_CHECK), finding->c_str());
    std::abort();
  }
  return 0;
}
