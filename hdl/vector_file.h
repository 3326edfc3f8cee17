#pragma once
// Reads a simulation vector file (the files rs_engine/rs_files.h writes)
// into a model a testbench writer can replay: the signals with their timed
// values or repeating pattern, the outputs with the values expected of them
// and when, and the stop time.
//
// The syntax: "% ... %" comments; "START t;", "STOP t;", "INTERVAL t;";
// "RADIX DEC|HEX|OCT|BIN;" (values are binary until a RADIX statement);
// "INPUTS a b[4..1];" and "OUTPUTS c;" declare the signals the next
// PATTERN drives and observes; after "PATTERN" come either repeating values
// ("0 1;", one group of input values per interval, from START on, cyclic) or
// timed lines "t> v ..." or "t> v ... = e ...", the last ended by ";".
// An OUTPUTS declaration with no PATTERN after it only names outputs to
// observe.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace codexel::hdl {

// A file that is not a vector file; what() names the line and the problem.
class VectorFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TimedValue {
  long long time = 0;
  std::uint64_t value = 0;
};

struct VectorSignal {
  std::string name;
  bool output = false;
  int declared_width = 0;  // from name[hi..lo]; 0 when declared without a range
  // An input has either a repeating pattern (one value per interval) or
  // timed values in time order; an output has neither.
  std::vector<std::uint64_t> repeating;
  std::vector<TimedValue> timed;
};

// An output's expected value at a time of a timed pattern.
struct Expectation {
  long long time = 0;
  int signal = 0;  // index into VectorFile::signals
  std::uint64_t value = 0;
};

struct VectorFile {
  long long start = 0;
  long long stop = 0;
  long long interval = 0;  // 0 when the file sets none
  std::vector<VectorSignal> signals;
  std::vector<Expectation> expectations;  // in time order

  // Index of the signal named, -1 when there is none.
  int Find(const std::string& name) const;
};

// Throws VectorFileError on anything that is not a complete vector file:
// a missing STOP, an unknown statement, a value that is not a number of the
// radix, times going backwards, a group of values of the wrong size, an
// input driven by two patterns, a repeating pattern without an interval.
VectorFile ParseVectorFile(std::string_view text);

}  // namespace codexel::hdl
