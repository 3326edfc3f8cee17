#include "hdl/decoder_plan.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "rs_engine/rs_files.h"
#include "rs_pages/throughput.h"

namespace codexel::hdl {

namespace {

int PowerOfTwoAtLeast(int value) {
  int words = 2;
  while (words < value) words *= 2;
  return words;
}

// Completes a plan whose solver is chosen: the Chien pass, the output, the
// timing; false when it misses the latency bound or the interval.
bool Complete(DecoderPlan& plan, int chien_parallel, int chien_start) {
  const int n = plan.n;
  if (plan.streaming && plan.solver_spacing > plan.interval_limit) return false;
  plan.chien_parallel = chien_parallel;
  plan.chien_clocks = (n + chien_parallel - 1) / chien_parallel;
  // A codeword's facts are read three clocks after its last position.
  if (plan.chien_clocks < 4) return false;
  plan.change_entries = PowerOfTwoAtLeast(plan.lambda_terms - 1);
  plan.chien_words = PowerOfTwoAtLeast(plan.chien_clocks);
  // Stacks of two banks in a RAM of 32 words: a few LUTs on a Xilinx part,
  // where a change memory takes a block RAM; beyond, the stacks' logic and
  // wider RAMs cost more than the block RAM.
  plan.change_stack = 2 * plan.change_entries <= 32;
  // The Chien stage loads at `chien_start`, evaluates for chien_clocks
  // clocks, two more clocks of Forney's formula, one to decide, with stacks
  // one to read their top entries, and the output register loads the first
  // symbol at the edge after.
  plan.latency = chien_start + plan.chien_clocks + (plan.change_stack ? 5 : 4);
  // A consumer samples the first symbol one edge after it is loaded, and
  // within the bound.
  if (plan.latency + 2 > plan.latency_bound) return false;
  plan.delay = plan.latency + n - 1;
  plan.delay_words = PowerOfTwoAtLeast(plan.delay);
  // A discrete decoder solves one codeword at a time: it takes the next as
  // this one starts to leave, so their symbols pass the ports side by side.
  plan.interval = plan.streaming ? std::max({n, plan.solver_spacing, plan.chien_clocks}) : plan.latency + n;
  if (plan.interval > plan.interval_limit) return false;
  // A codeword's erasure locators stay in their bank until its solve is
  // done, the codeword after next writing it again from its start on.
  if (plan.erasures && plan.folded && 2 * plan.interval < n + plan.solver_start + plan.solver_clocks) return false;
  return true;
}

struct SolveTime {
  int clocks = 0;     // the codeword's
  int iteration = 0;  // its longest iteration's
};

SolveTime FoldedSolveTime(const DecoderPlan& plan, int erased) {
  const int r = plan.r, lanes = plan.lanes, groups = plan.groups;
  // A decodable codeword's locator has degree at most (r + s) / 2, and
  // Omega lower: the sweeps stop there (a longer locator fails whatever its
  // upper coefficients are).
  const int bound = plan.erasures ? (r + erased) / 2 : r / 2;
  const auto group_count = [&](int degree) {
    return plan.bounded_sweeps ? std::min(std::min(degree, bound) / lanes, groups - 1) + 1 : groups;
  };
  SolveTime time;
  for (int k = 0; k < r; ++k) {
    // Iteration k: sweep A over the groups up to coefficient k (none for an
    // erasure), the factor, sweep B up to k + 1, and a clock's wait after a
    // sweep B of one group (two with the memory copies) unless it is
    // forwarded or an erasure follows.
    const int b = group_count(k + 1);
    const bool wait = plan.coefficient_memory ? b <= 2 : b == 1 && !plan.forward_update;
    const int clocks = (k < erased ? 0 : group_count(k)) + 1 + b + (wait && k + 1 >= erased ? 1 : 0);
    time.clocks += clocks;
    time.iteration = std::max(time.iteration, clocks);
  }
  // Omega_i takes the groups up to coefficient i,
  for (int i = 0; i < std::min(bound, plan.omega_terms); ++i) time.clocks += i / lanes + 1;
  // and the multiplier row works a clock behind the selection.
  time.clocks += 2;
  return time;
}

}  // namespace

int SolverClocks(const DecoderPlan& plan, int erased) {
  return plan.folded ? FoldedSolveTime(plan, erased).clocks : plan.solver_clocks;
}

DecoderPlan PlanDecoder(const RsParameters& p) {
  DecoderPlan base;
  base.n = p.n;
  base.r = p.r;
  base.erasures = p.Eras_Stnd == 1;
  base.streaming = p.Disc_Stream != 1;
  base.full_speed = p.Fast_Small == 1;
  base.page_cycles = CyclesPerCodeword(p);
  // A full-speed streaming decoder takes a codeword every n clocks; every
  // other one at least every c clocks, the figure the throughput on the
  // extra files page comes from (half-speed streaming within 2n as well).
  base.interval_limit = base.streaming && base.full_speed ? p.n
                        : base.streaming                  ? std::min(2 * p.n, base.page_cycles)
                                                          : base.page_cycles;
  base.latency_bound = base.streaming ? StreamingLatency(p.n, p.r, base.full_speed)
                                      : DiscreteLatency(p.n, p.r, base.full_speed);
  const int r = p.r;
  base.lambda_terms = base.erasures ? r + 1 : r / 2 + 1;
  base.omega_terms = base.erasures ? r : r / 2;
  const int terms = base.lambda_terms;
  // Every plan that meets the bound and the interval is weighed by the
  // logic it costs, in rough LUTs: a general multiplier about 50, a folded
  // lane's operand selection about 30 more, and a Chien position a clock
  // a constant multiplier a term, its Forney multiplier and a table port.
  const int chien_cost = 6 * (base.lambda_terms + base.omega_terms) + 60;
  DecoderPlan best;
  long best_cost = -1;
  const auto consider = [&](DecoderPlan plan, int chien_parallel, int chien_start, long solver_cost) {
    if (!Complete(plan, chien_parallel, chien_start)) return;
    const long cost = solver_cost + static_cast<long>(chien_parallel) * chien_cost;
    if (best_cost < 0 || cost < best_cost || (cost == best_cost && plan.latency < best.latency)) {
      best = plan;
      best.weight = cost;
      best_cost = cost;
    }
  };
  // The solvers, each with its weight: folded on 1 to all lanes, with full
  // or bounded sweeps, with or without forwarding; then the parallel form.
  std::vector<std::pair<DecoderPlan, long>> solvers;
  for (int lanes = 1; lanes <= terms; ++lanes) {
    const int groups = (terms + lanes - 1) / lanes;
    // Full sweeps take as long on the fewest lanes for their groups; bounded
    // ones are shorter on more.
    const bool fewer_lanes_suffice = lanes > 1 && (terms + lanes - 2) / (lanes - 1) == groups;
    for (const bool bounded : {false, true}) {
      if (!bounded && fewer_lanes_suffice) continue;
      for (const bool forward : {false, true}) {
        DecoderPlan plan = base;
        plan.folded = true;
        plan.bounded_sweeps = bounded;
        plan.forward_update = forward;
        plan.lanes = lanes;
        plan.groups = groups;
        plan.coefficient_memory = lanes == 1 && bounded && !forward;
        plan.solver_multipliers = lanes;
        // The discrepancy's syndromes, in rough LUTs of m: a ring costs a
        // register's load multiplexer each and a lane's selection of the
        // groups; a memory the selection of r that writes it and about a
        // LUT a lane for its slice of the word. A word of more than 8
        // lanes costs more blocks and waiting registers than it saves.
        const auto selection = [](int inputs) { return inputs > 1 ? (inputs + 3) / 4 : 0; };
        const int ring = r + lanes * selection(groups), memory = selection(r) + lanes;
        plan.syndrome_memory = memory < ring && lanes <= 8;
        plan.solver_start = plan.syndrome_memory ? 3 : 1;
        const long syndromes = static_cast<long>(p.m) * (plan.syndrome_memory ? memory : ring);
        // (bounded sweeps cost a little more sequencing, forwarding a
        // multiplexer a lane)
        solvers.emplace_back(plan, 80L * lanes + (bounded ? 20 : 0) + (forward ? 16L * lanes : 0) + syndromes);
      }
    }
  }
  DecoderPlan parallel = base;
  parallel.folded = false;
  parallel.lanes = r + 1;
  parallel.groups = 1;
  parallel.iteration_clocks = 1;
  parallel.solver_start = 1;
  parallel.solver_clocks = 2 * r;
  parallel.solver_spacing = r + 1;
  parallel.solver_multipliers = (3 * r + 2) + (r + 1) + (parallel.erasures ? r : 0);
  solvers.emplace_back(parallel, 50L * parallel.solver_multipliers);
  // A folded solver's time is the longest over the erasure counts; it is
  // worked out only for the candidates weighed before the best found, and
  // only until it misses the interval.
  // A discrete decoder's solve and Chien pass share what its interval leaves
  // beside the input.
  const int budget = base.streaming ? base.interval_limit : base.interval_limit - p.n;
  std::vector<bool> timed(solvers.size(), false);
  const auto time = [&](std::size_t index) {
    DecoderPlan& plan = solvers[index].first;
    if (timed[index] || !plan.folded) return;
    timed[index] = true;
    plan.iteration_clocks = 0;
    plan.solver_clocks = 0;
    for (int erased = 0; erased <= (base.erasures ? r : 0) && plan.solver_clocks < budget; ++erased) {
      const SolveTime t = FoldedSolveTime(plan, erased);
      plan.solver_clocks = std::max(plan.solver_clocks, t.clocks);
      plan.iteration_clocks = std::max(plan.iteration_clocks, t.iteration);
    }
    plan.solver_spacing = plan.solver_clocks + 1;
  };
  struct Candidate {
    long cost;
    std::size_t solver;
    int chien_parallel;
  };
  std::vector<Candidate> candidates;
  for (int chien_parallel : {1, 2, 3, 4, 6, 8}) {
    for (std::size_t i = 0; i < solvers.size(); ++i) {
      candidates.push_back({solvers[i].second + static_cast<long>(chien_parallel) * chien_cost, i, chien_parallel});
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });
  for (const Candidate& c : candidates) {
    if (best_cost >= 0 && c.cost > best_cost) break;
    time(c.solver);
    const auto& [plan, weight] = solvers[c.solver];
    // The Chien stage loads one edge after the solver's last clock.
    consider(plan, c.chien_parallel, plan.solver_start + plan.solver_clocks + 1, weight);
  }
  if (best_cost >= 0) return best;
  throw std::logic_error("decoder: no plan meets the latency bound and the codeword interval");
}

}  // namespace codexel::hdl
