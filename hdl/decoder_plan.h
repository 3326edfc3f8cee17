#pragma once
// How a decoder variant is built and timed: the one place where the
// hardware is sized from the clocks a variant has, read by every stage, the
// design file's header, the tests and the benchmarks.

#include "rs_pages/rs_parameters.h"

namespace codexel::hdl {

struct DecoderPlan {
  int n = 0;
  int r = 0;
  bool erasures = false;
  bool streaming = false;
  bool full_speed = false;
  // Coefficients of Lambda (and B) and of Omega the solver keeps and the
  // Chien pass evaluates. Without erasures a decodable codeword has at most
  // r / 2 errors, so Lambda's degree is at most r / 2 and Omega's below it;
  // a longer locator fails whatever its upper coefficients are.
  int lambda_terms = 0;
  int omega_terms = 0;

  // The key-equation solver. Folded: a row of `lanes` multipliers sweeps the
  // `lambda_terms` coefficients in `groups` clocks; an iteration is a sweep
  // for the discrepancy, one clock for its quotient, a sweep for the update
  // (2 groups + 1 clocks, one more for a single group's update unless it is
  // forwarded), erasures enter as iterations of their own (the factor and
  // sweep B only), and shorter sweeps give the evaluator polynomial. With s
  // erasures a decodable codeword's locator has degree at most (r + s) / 2,
  // and Omega has that many coefficients: the solve takes at most
  // `solver_clocks`, whatever s is. Parallel
  // (codes too short for that): one inversionless iteration a clock on
  // 3r + 2 multipliers, then the evaluator on r + 1 multipliers of its own.
  bool folded = true;
  // Each sweep of iteration k only over the groups up to Lambda's degree
  // bound (k, or k + 1 for the update, and at most (r + s) / 2), where that
  // saves multipliers; else every sweep over all groups, on simpler
  // sequencing.
  bool bounded_sweeps = false;
  // A sweep A that follows an update of one group takes that group's new
  // coefficients as the row makes them, instead of a clock's wait.
  bool forward_update = false;
  // The discrepancy's syndromes read by index from a small memory of two
  // banks, written a word a clock as the solve starts (2 clocks later),
  // instead of a ring of registers turned once an iteration and
  // read by group: fewer LUTs where the ring's loads and a lane's group
  // selection cost more than the memory's write selection.
  bool syndrome_memory = false;
  // A row of one lane reads Lambda and B from copies in small memories
  // instead of through a selection of every register (with bounded sweeps,
  // which read only coefficients the codeword's own sweeps wrote).
  bool coefficient_memory = false;
  int solver_start = 1;  // edges from the one taking the last symbol to the solve
  int lanes = 0;
  int groups = 0;
  int iteration_clocks = 0;  // the longest iteration
  int solver_clocks = 0;     // clocks the solver (and evaluator) hold a codeword
  int solver_spacing = 0;    // fewest clocks between two codewords it takes
  int solver_multipliers = 0;  // general multipliers of solver and evaluator

  // One Chien and Forney pass: `chien_parallel` positions a clock, one
  // general multiplier each. The changes wait, two codewords' worth, on a
  // stack a lane of `change_entries` entries per codeword (a codeword has no
  // more changes than its locator has roots), where that is a small
  // distributed RAM; else in a change memory of `chien_words` words (a word
  // a clock) per codeword, a block RAM.
  int chien_parallel = 1;
  int chien_clocks = 0;
  bool change_stack = true;
  int change_entries = 0;  // a power of two
  int chien_words = 0;     // a power of two

  // Clocks from the edge that takes a codeword's last symbol to the edge
  // that loads its first output symbol (a consumer samples it one edge on).
  int latency = 0;
  // Clocks from the edge that takes a symbol to the edge that loads it out.
  int delay = 0;
  int delay_words = 0;  // the delay memory, a power of two
  // Fewest clocks from one codeword's start to the next one's.
  int interval = 0;
  // The cycles per codeword the extra files page's throughput comes from,
  // and the most the interval may be: c, or n at full-speed streaming.
  int page_cycles = 0;
  int interval_limit = 0;
  // The vector file's bound on latency for this variant.
  long long latency_bound = 0;
  // The rough LUT weight of the plan, the least of those that meet the
  // interval and the bound.
  long weight = 0;
};

// Clocks a folded solver holds a codeword with `erased` erasures flagged
// (the plan's solver_clocks is the most of them); a parallel one's are
// always solver_clocks.
int SolverClocks(const DecoderPlan& plan, int erased);

// Throws std::logic_error for a parameter set no plan meets the latency
// bound and codeword interval of (none of the legal ones).
DecoderPlan PlanDecoder(const RsParameters& parameters);

}  // namespace codexel::hdl
