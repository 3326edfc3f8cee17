#pragma once
// What the fuzz harnesses check, one input at a time. Each check returns
// what went wrong, or nothing; the libFuzzer entries abort on a finding and
// the normal test suite runs the same checks over the seeds and over every
// input a finding left in tests/fuzz/regressions/.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace codexel::fuzz {

// Any bytes as the wizard information file of an existing variation: read,
// loaded with repair, stored and written (block and extra files, in memory),
// then the written block read back. The variation must be legal, carry the
// module name of the rule, read back to the same recorded values, and be
// byte for byte what a new variation with the same choices writes.
std::optional<std::string> CheckEditMode(std::string_view bytes);

// Any bytes as codexel-gen's argument vector (arguments separated by NUL
// bytes) through the generator with files that are never made: a refusal is
// exactly one line on standard error and touches no file; an accepted run
// keeps every value given, ends with a legal set and names the files it
// would write.
std::optional<std::string> CheckGenArguments(std::string_view bytes);

// The argument vector a fuzz input stands for: the pieces between NUL bytes
// (a NUL at the very end closes the last argument).
std::vector<std::string> SplitArguments(std::string_view bytes);
std::string JoinArguments(const std::vector<std::string>& args);

// Named seed inputs: variations written by the wizard's own code for a
// spread of parameter sets (and a few damaged ones), and the argument
// vectors of the documented examples.
using Seed = std::pair<std::string, std::string>;
std::vector<Seed> EditModeSeeds();
std::vector<Seed> GenArgumentSeeds();

}  // namespace codexel::fuzz
