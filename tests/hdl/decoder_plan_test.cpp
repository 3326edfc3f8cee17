// The decoder plans over every legal code length and check symbol count:
// each variant keeps its interval (never longer than the cycles per codeword
// the extra files page's throughput comes from), the vector files' latency
// bound and its
// memories' bank turns, starts the Chien pass when the longest solve over
// every erasure count ends, and half speed never weighs more than full speed
// (its time is never shorter, so the search has every full-speed plan to
// choose from as well).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "hdl/decoder_plan.h"
#include "rs_engine/rs_files.h"
#include "rs_pages/throughput.h"
#include "tests/support/parameter_sets.h"

namespace codexel::hdl {
namespace {

class EveryCode : public ::testing::TestWithParam<int> {};  // erasures 0 or 1

TEST_P(EveryCode, PlansKeepIntervalBoundAndSpeedOrder) {
  const int eras = GetParam();
  int failures = 0;
  // The plan does not depend on the field: m 8 has every legal n and r.
  for (int n = kMinN; n <= MaxN(8) && failures < 10; ++n) {
    for (int r = kMinR; r <= MaxR(n) && failures < 10; ++r) {
      if (n < MinN(r)) continue;
      DecoderPlan plans[2][2];  // [discrete][full]
      for (int discrete = 0; discrete < 2; ++discrete) {
        for (int full = 0; full < 2; ++full) {
          const RsParameters p =
              testing::AsDecoder(testing::Code(8, n, r, 285), testing::DecoderChoice{eras, discrete, full});
          const std::string where = "n " + std::to_string(n) + ", r " + std::to_string(r) + ", discrete " +
                                    std::to_string(discrete) + ", full " + std::to_string(full);
          DecoderPlan plan;
          try {
            plan = PlanDecoder(p);
          } catch (const std::exception& e) {
            ADD_FAILURE() << where << ": " << e.what();
            ++failures;
            continue;
          }
          plans[discrete][full] = plan;
          const long long bound = discrete ? DiscreteLatency(n, r, full) : StreamingLatency(n, r, full);
          // The extra files page's throughput is a floor: a codeword at
          // least every c clocks, and every n at full-speed streaming.
          const int c = CyclesPerCodeword(p);
          bool good = plan.latency + 2 <= bound && plan.chien_clocks * plan.chien_parallel >= n &&
                      plan.change_entries >= plan.lambda_terms - 1 && plan.delay_words >= plan.delay &&
                      plan.interval <= c && plan.page_cycles == c && plan.solver_spacing <= plan.interval;
          // Lambda and Omega: every coefficient with erasures, up to the
          // error capacity without.
          good = good && plan.lambda_terms == (eras ? r + 1 : r / 2 + 1) &&
                 plan.omega_terms == (eras ? r : r / 2);
          // A codeword's erasure locators (two banks) are read until its
          // solve ends; the codeword after next writes them from its start.
          if (eras && plan.folded) {
            good = good && 2 * plan.interval >= n + plan.solver_start + plan.solver_clocks;
          }
          // The Chien pass starts when the longest solve over every erasure
          // count ends, not before (the plan times its candidates lazily).
          int longest = 0;
          for (int s = 0; s <= (eras ? r : 0); ++s) longest = std::max(longest, SolverClocks(plan, s));
          good = good && plan.solver_clocks == longest;
          if (discrete) {
            // One codeword solved at a time: the next comes in as it leaves.
            good = good && plan.interval == plan.latency + n;
          } else {
            good = good && (full ? plan.interval == n : plan.interval <= 2 * n);
          }
          if (!good) {
            ADD_FAILURE() << where << ": latency " << plan.latency << " (bound " << bound << "), interval "
                          << plan.interval << ", solver spacing " << plan.solver_spacing << ", Chien "
                          << plan.chien_parallel << " x " << plan.chien_clocks;
            ++failures;
          }
        }
      }
      for (int discrete = 0; discrete < 2; ++discrete) {
        if (plans[discrete][0].weight > plans[discrete][1].weight) {
          ADD_FAILURE() << "n " << n << ", r " << r << ", discrete " << discrete << ": half speed weighs "
                        << plans[discrete][0].weight << ", full speed " << plans[discrete][1].weight;
          ++failures;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryCode, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param ? std::string("Erasures") : std::string("Standard");
                         });

}  // namespace
}  // namespace codexel::hdl
