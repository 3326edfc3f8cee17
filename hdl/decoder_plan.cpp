#include "hdl/decoder_plan.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "rs_engine/rs_files.h"

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
  const int budget = plan.full_speed ? n : 2 * n;
  if (plan.solver_spacing > budget) return false;
  plan.chien_parallel = chien_parallel;
  plan.chien_clocks = (n + chien_parallel - 1) / chien_parallel;
  // A codeword's facts stay in the stage for four clocks after its last
  // position.
  if (plan.chien_clocks < 4) return false;
  plan.chien_words = PowerOfTwoAtLeast(plan.chien_clocks);
  // The Chien stage loads at `chien_start`, evaluates for chien_clocks
  // clocks, two more clocks of Forney's formula, one to decide, and the
  // output register loads the first symbol at the edge after.
  plan.latency = chien_start + plan.chien_clocks + 4;
  if (plan.latency + 1 > plan.latency_bound) return false;
  plan.delay = plan.latency + n - 1;
  plan.delay_words = PowerOfTwoAtLeast(plan.delay);
  plan.interval = plan.streaming ? std::max({n, plan.solver_spacing, plan.chien_clocks}) : plan.delay + n;
  return true;
}

}  // namespace

DecoderPlan PlanDecoder(const RsParameters& p) {
  DecoderPlan base;
  base.n = p.n;
  base.r = p.r;
  base.erasures = p.Eras_Stnd == 1;
  base.streaming = p.Disc_Stream != 1;
  base.full_speed = p.Fast_Small == 1;
  base.latency_bound = base.streaming ? StreamingLatency(p.n, p.r, base.full_speed)
                                      : DiscreteLatency(p.n, p.r, base.full_speed);
  const int r = p.r;
  const std::initializer_list<int> chien_choices = {1, 2, 3, 4, 6, 8};
  // The fewest Chien positions a clock first (each costs 2r + 1 constant
  // and two general multipliers), then the fewest solver multipliers.
  for (int chien_parallel : chien_choices) {
    for (int groups = r + 1; groups >= 1; --groups) {
      const int lanes = (r + 1 + groups - 1) / groups;
      if ((r + 1 + lanes - 1) / lanes != groups) continue;  // the same sweep on fewer lanes
      DecoderPlan plan = base;
      plan.folded = true;
      plan.lanes = lanes;
      plan.groups = groups;
      plan.iteration_clocks = 2 * groups + 1;
      plan.solver_clocks = r * plan.iteration_clocks + r * groups + 1;
      plan.solver_spacing = plan.solver_clocks + 1;
      plan.solver_multipliers = lanes;
      if (Complete(plan, chien_parallel, plan.solver_clocks + 1)) return plan;
    }
  }
  for (int chien_parallel : chien_choices) {
    DecoderPlan plan = base;
    plan.folded = false;
    plan.lanes = r + 1;
    plan.groups = 1;
    plan.iteration_clocks = 1;
    plan.solver_clocks = 2 * r;
    plan.solver_spacing = r + 1;
    plan.solver_multipliers = (3 * r + 2) + (r + 1) + (plan.erasures ? r : 0);
    if (Complete(plan, chien_parallel, 2 * r + 2)) return plan;
  }
  throw std::logic_error("decoder: no plan meets the latency bound and the codeword interval");
}

}  // namespace codexel::hdl
