#pragma once
// How a decoder variant is built and timed: what the generator chooses for
// a parameter set, so that tests, benchmarks and the data sheet read the
// same figures the hardware has.

#include "rs_pages/rs_parameters.h"

namespace codexel::hdl {

struct DecoderPlan {
  int n = 0;
  int r = 0;
  bool erasures = false;
  bool streaming = false;
  bool full_speed = false;
  // Half speed: the key-equation solver runs two clocks an iteration on one
  // row of r + 1 multipliers, which then also computes the evaluator
  // polynomial (3r clocks in one stage instead of 4r + 3 multipliers).
  bool shared_multipliers = false;
  // Positions the counting pass of the Chien search tests per clock.
  int chien_parallel = 1;
  // Clocks each stage works on one codeword.
  int solver_clocks = 0;
  int evaluator_clocks = 0;  // 0 when shared
  int chien_clocks = 0;
  // Clocks from the edge that takes a codeword's last symbol to the edge
  // that puts out its first symbol.
  int latency = 0;
  // Clocks from the edge that takes a symbol to the edge that puts it out.
  int delay = 0;
  int delay_words = 0;  // the delay memory, a power of two
  // Fewest clocks between two codeword starts.
  int interval = 0;
  // The vector file's bound on latency for this variant.
  long long latency_bound = 0;
};

// Throws std::logic_error for a parameter set the decoder cannot meet its
// latency bound with (none of the legal ones).
DecoderPlan PlanDecoder(const RsParameters& parameters);

}  // namespace codexel::hdl
