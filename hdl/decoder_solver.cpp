// The key-equation solver: Berlekamp-Massey started from the erasures, then
// the evaluator polynomial Omega = S Lambda mod x^r.
//
// Folded (the plan's lanes and groups): a row of `lanes` general multipliers
// sweeps the plan's `lambda_terms` coefficients, `lanes` a clock. Iteration k
// (r of them):
//   sweep A   delta = sum Lambda_i S_(k-i)                   (groups clocks)
//   factor    delta / b, from the registered inverse of b     (1 clock)
//   sweep B   Lambda_i += factor B_(i-1); B_i = Lambda_i, or B_(i-1)
//                                                             (groups clocks)
// With bounded sweeps, sweep A ends with coefficient k's group and sweep B
// with k + 1's (the degree bounds). A sweep B of one group is followed by a
// clock's wait, or its new coefficients are forwarded to the next selection.
// An iteration k < s (s erasures) is an erasure instead, its factor and
// sweep B only: Lambda and B become (1 + X_k x) Lambda. Then sweeps of A
// give Omega_0 .. Omega_(D-1), each over the groups up to coefficient k, and
// take B's registers (B is done with by then). D is the degree a decodable
// codeword's locator can have, (r + s) / 2 with erasures: bounded sweeps go
// no higher either, so the solve's length depends on s, and the Chien pass
// is started when the longest would end. The syndromes sit in a memory the
// row reads by index k - i (written a word a clock as the solve starts), or in
// a ring that turns once an iteration, so S_(k-i) is always ring_i. Every
// multiplier operand comes from a register through a multiplexer steered by
// registered phase flags, and every product ends in a register or the
// accumulator.
//
// Parallel: one inversionless iteration a clock on 3r + 2 multipliers, then
// the evaluator on r + 1 multipliers of its own, for codes whose interval is
// too short for the folded row.

#include <algorithm>

#include "hdl/decoder_stages.h"
#include "hdl/rs_core.h"

namespace codexel::hdl::decoder {

namespace {

// The locator's length L, k + s and 2 L: L starts at s and grows only to
// k + 1 + s - L <= k + 1 <= r, so all of them are at most 2 r.
int LengthWidth(int r) { return BitsFor(2 * r); }

// A stage's busy flag, step counter and registered "done".
struct StageControl {
  Sig busy, step, done;
};

StageControl MakeStage(Netlist& nl, const std::string& name, Sig go, int clocks) {
  StageControl s;
  const int width = BitsFor(clocks);
  s.busy = nl.Reg(name + "_busy", 1);
  s.step = nl.Reg(name + "_step", width);
  s.done = nl.Reg(name + "_done", 1);
  const Sig last = nl.And(s.busy, nl.EqConst(s.step, static_cast<std::uint64_t>(clocks - 1)));
  nl.Next(s.busy, nl.Or(go, nl.And(s.busy, nl.Not(last))));
  nl.Next(s.step, nl.Mux(go, nl.Zero(width), nl.Mux(s.busy, nl.AddConst(s.step, 1), s.step)));
  nl.Next(s.done, last);
  return s;
}

SolverResult BuildFolded(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const InputStage& in) {
  const int m = p.m, r = p.r;
  const int lanes = plan.lanes, groups = plan.groups;
  const int terms = plan.lambda_terms, omegas = plan.omega_terms;
  const Sig zero = nl.Zero(m);
  const Sig one = nl.Const(1, m);
  // One edge after the last symbol: the syndromes and the facts are then
  // registers, which the ring and the facts load directly.
  const Sig taken = nl.Reg(plan.syndrome_memory ? "solver_taken" : "solver_go", 1);
  nl.Next(taken, in.last_take);
  // With the syndromes in a memory, they are written there a word a clock
  // from registers held meanwhile, and the solve starts once the first is;
  // the codeword's facts wait beside them (the next codeword's replace them
  // as soon as it arrives).
  Sig go = taken;
  Sig erased_in = nl.Resize(in.erased_reg, LengthWidth(r)), overflow_in = in.overflow_reg,
      bypass_in = in.bypass_reg, erasure_bank_in = in.erasure_bank_reg;
  const int kw = BitsFor(r - 1);
  int syndrome_memory = -1;
  Sig syndrome_bank;
  if (plan.syndrome_memory) {
    erased_in = Staged(nl, "pending_erased", taken, erased_in);
    overflow_in = Staged(nl, "pending_overflow", taken, overflow_in);
    bypass_in = Staged(nl, "pending_bypass", taken, bypass_in);
    if (plan.erasures) erasure_bank_in = Staged(nl, "pending_erasure_bank", taken, erasure_bank_in);
    Poly held;
    for (int j = 0; j < r; ++j) {
      const Sig s = in.syndrome_regs[static_cast<std::size_t>(j)];
      held.push_back(plan.streaming ? Staged(nl, Indexed("held", j), taken, s) : s);
    }
    const Sig copying = nl.Reg("syndrome_copying", 1);
    const Sig count = nl.DataReg("syndrome_count", kw);
    const Sig copied = nl.And(copying, nl.EqConst(count, static_cast<std::uint64_t>(r - 1)));
    nl.Next(copying, nl.Or(taken, nl.And(copying, nl.Not(copied))));
    nl.Next(count, nl.Mux(taken, nl.Zero(kw), nl.AddConst(count, 1)));
    // Two banks: one being written, one being solved.
    const Sig bank = nl.Reg("syndrome_bank", 1);
    nl.Next(bank, nl.Not(bank), taken);
    // Word j holds S_j .. S_(j-lanes+1), lane u's at u m: the words copied
    // before wait in registers (below S_0 they are a later codeword's, read
    // only beside Lambda's zero terms).
    std::vector<Sig> word{Select(nl, count, held, m)};
    for (int lane = 1; lane < lanes; ++lane) {
      word.insert(word.begin(), Staged(nl, Indexed("copied", lane), copying, word.front()));
    }
    syndrome_memory = nl.Memory("syndromes", m * lanes, 2 << kw);
    nl.MemWrite(syndrome_memory, nl.Concat({bank, count}), nl.Concat(word), copying);
    // The solve starts once word 0 is written: iteration k reads word k
    // no sooner than 2k clocks on (an iteration takes two clocks at least),
    // and word k is written k clocks after word 0.
    const Sig first_word = nl.And(copying, nl.IsZero(count));
    syndrome_bank = Staged(nl, "solved_bank", first_word, bank);
    go = nl.Reg("solver_go", 1);
    nl.Next(go, first_word);
  }

  // ---- Codeword facts ----
  const int lw = LengthWidth(r);
  const Sig erased = Staged(nl, "solver_erased", go, erased_in);
  const Sig overflow = Staged(nl, "solver_overflow", go, overflow_in);
  const Sig bypass = Staged(nl, "solver_bypass", go, bypass_in);

  // ---- Sequencing of the select clock: phase flags and counters ----
  // Each clock selects a group's operands into registers; the multipliers
  // work on them the clock after (the "mul" copies of the flags).
  const int gw = BitsFor(groups - 1);
  const Sig sweep_a = nl.Reg("sweep_a", 1);
  const Sig factor_clock = nl.Reg("factor_clock", 1);
  const Sig sweep_b = nl.Reg("sweep_b", 1);
  const Sig evaluating = nl.Reg("evaluating", 1);  // the Omega sweeps
  const Sig group = nl.Reg("group", gw);
  const Sig k = nl.Reg("iteration", kw);
  // Lambda^(k) has degree at most k (its length), B^(k) at most k too, and
  // both are zero above: sweep A of iteration k ends with the group holding
  // coefficient k, sweep B with the one holding k + 1 (the update's degree
  // bound), Omega_k's with k's group. The groups and lanes of k and k + 1
  // are counted beside k; a group past the last one stands for it.
  const int nw = BitsFor(lanes - 1);
  const Sig a_group = nl.Reg("a_group", gw);  // min(k / lanes, groups - 1)
  const Sig b_group = nl.Reg("b_group", gw);  // min((k + 1) / lanes, groups - 1)
  const Sig k_lane = nl.Reg("k_lane", nw);    // k mod lanes
  const Sig k1_lane = nl.Reg("k1_lane", nw);  // (k + 1) mod lanes
  // With s erasures a decodable codeword's locator has degree at most
  // (r + s) / 2 (a longer one fails whatever its upper coefficients are):
  // bounded sweeps end at that degree's group, and Omega's coefficients
  // stop below it.
  Sig top_group = nl.Const(static_cast<std::uint64_t>(groups - 1), gw);
  Sig omega_last = nl.Const(static_cast<std::uint64_t>(omegas - 1), kw);
  if (plan.erasures) {
    // Read from s itself, not from (r + s) / 2 below: the adder before the
    // table cost the DVB decoder 12 MHz on the iCE40.
    if (plan.bounded_sweeps) {
      std::vector<std::uint64_t> table;
      for (int e = 0; e < (1 << lw); ++e) {
        table.push_back(static_cast<std::uint64_t>(std::min((r + std::min(e, r)) / 2 / lanes, groups - 1)));
      }
      top_group = Staged(nl, "top_group", go, nl.Rom(erased_in, table, gw));
    }
    const Sig half = nl.Slice(nl.AddConst(erased_in, static_cast<std::uint64_t>(r - 2)), 1, lw - 1);
    omega_last = Staged(nl, "omega_last", go, nl.Resize(half, kw));  // (r + s) / 2 - 1
  }
  const Sig last_group =
      plan.bounded_sweeps ? nl.Mux(sweep_b, nl.Eq(group, b_group), nl.Eq(group, a_group))
                          : nl.Mux(evaluating, nl.Eq(group, a_group),
                                   nl.EqConst(group, static_cast<std::uint64_t>(groups - 1)));
  // The last iteration, or the last Omega coefficient kept.
  const Sig last_k = nl.Mux(evaluating, nl.Eq(k, omega_last),
                            nl.EqConst(k, static_cast<std::uint64_t>(r - 1)));
  const Sig a_end = nl.And(sweep_a, last_group);
  const Sig b_end = nl.And(sweep_b, last_group);
  const Sig omega_end = nl.And(a_end, evaluating);
  const Sig idle = nl.Not(go);
  // An erasure's iteration has no sweep A: its factor follows the start,
  // or the sweep B before, directly. (k + 1 < s is never true at the last
  // iteration: s is at most r.)
  Sig go_a = go, go_factor = nl.Zero(1), b_to_a = b_end, b_to_factor = nl.Zero(1);
  if (plan.erasures) {
    const Sig erasure_next = nl.Reg("erasure_next", 1);  // iteration k + 1 is an erasure's
    nl.Next(erasure_next, nl.Lt(nl.AddConst(nl.Resize(k, lw), 1), erased));
    const Sig first_erasure = nl.Not(nl.IsZero(erased_in));
    go_a = nl.And(go, nl.Not(first_erasure));
    go_factor = nl.And(go, first_erasure);
    b_to_a = nl.And(b_end, nl.Not(erasure_next));
    b_to_factor = nl.And(b_end, erasure_next);
  }
  // A sweep B of one group writes Lambda as the next sweep A would select
  // it: a clock between them (with the coefficients' memory copies, of two
  // groups: the copy is read a clock ahead).
  // Or, forwarded, the selection takes the row's new coefficients instead.
  Sig next_a = b_to_a;
  Sig forward;
  if (groups == 1 || (plan.bounded_sweeps && lanes > 1) || plan.coefficient_memory) {
    const Sig short_b = groups == 1                 ? nl.One()
                        : plan.coefficient_memory ? nl.Lt(b_group, nl.Const(2, gw))
                                                  : nl.IsZero(b_group);
    const Sig gap = nl.Reg(plan.forward_update ? "forward" : "sweep_gap", 1);
    nl.Next(gap, nl.And(idle, nl.And(b_to_a, short_b)));
    if (plan.forward_update) {
      forward = gap;
    } else {
      next_a = nl.Or(nl.And(b_to_a, nl.Not(short_b)), gap);
    }
  }
  const Sig sweep_goes_on = nl.Not(nl.And(last_group, nl.Or(nl.Not(evaluating), last_k)));
  nl.Next(sweep_a, nl.Or(go_a, nl.Or(next_a, nl.And(sweep_a, sweep_goes_on))));
  nl.Next(factor_clock,
          nl.Or(go_factor, nl.And(idle, nl.Or(nl.And(a_end, nl.Not(evaluating)), b_to_factor))));
  nl.Next(sweep_b, nl.And(idle, nl.Or(factor_clock, nl.And(sweep_b, nl.Not(last_group)))));
  const Sig counting = nl.Or(sweep_a, sweep_b);
  const Sig group_next = nl.Mux(nl.Or(go, nl.Or(factor_clock, last_group)), nl.Zero(gw),
                                nl.Mux(counting, nl.AddConst(group, 1), group));
  nl.Next(group, group_next);
  const Sig next_k = nl.Or(nl.And(b_end, nl.Not(last_k)), nl.And(omega_end, nl.Not(last_k)));
  const Sig k_restart = nl.Or(go, nl.And(b_end, last_k));
  nl.Next(k, nl.Mux(k_restart, nl.Zero(kw), nl.Mux(next_k, nl.AddConst(k, 1), k)));
  const auto lane_after = [&](Sig lane) {
    return nl.Mux(nl.EqConst(lane, static_cast<std::uint64_t>(lanes - 1)), nl.Zero(nw), nl.AddConst(lane, 1));
  };
  const Sig step_k = nl.Or(k_restart, next_k);
  nl.Next(k_lane, nl.Mux(k_restart, nl.Zero(nw), lane_after(k_lane)), step_k);
  nl.Next(k1_lane, nl.Mux(k_restart, nl.Const(static_cast<std::uint64_t>(1 % lanes), nw), lane_after(k1_lane)),
          step_k);
  const Sig b_grows = nl.And(nl.EqConst(k1_lane, static_cast<std::uint64_t>(lanes - 1)),
                             nl.Ne(b_group, top_group));
  nl.Next(a_group, nl.Mux(k_restart, nl.Zero(gw), b_group), step_k);
  nl.Next(b_group,
          nl.Mux(k_restart, nl.Const(static_cast<std::uint64_t>(lanes == 1 && groups > 1 ? 1 : 0), gw),
                 nl.Mux(b_grows, nl.AddConst(b_group, 1), b_group)),
          step_k);

  // ---- The multiply clock's flags ----
  const Sig mul_a = nl.Reg("mul_a", 1);
  const Sig mul_first = nl.Reg("mul_first", 1);  // the sweep's first group: the accumulator starts
  const Sig mul_f = nl.Reg("mul_factor", 1);
  const Sig mul_b = nl.Reg("mul_b", 1);
  const Sig mul_group = nl.DataReg("mul_group", gw);
  const Sig omega_done = nl.Reg("omega_done", 1);  // Omega_k's last group multiplied
  const Sig store = nl.Reg("omega_store", 1);      // Omega_k complete in the accumulator
  const Sig last_store = nl.Reg("last_store", 1);
  const Sig last_done = nl.Reg("last_omega_done", 1);
  nl.Next(mul_a, nl.And(idle, sweep_a));
  nl.Next(mul_first, nl.And(idle, nl.And(sweep_a, nl.IsZero(group))));
  nl.Next(mul_f, nl.And(idle, factor_clock));
  nl.Next(mul_b, nl.And(idle, sweep_b));
  nl.Next(mul_group, group);
  nl.Next(omega_done, nl.And(idle, omega_end));
  nl.Next(store, nl.And(idle, omega_done));
  nl.Next(last_done, nl.And(idle, nl.And(omega_end, last_k)));
  nl.Next(last_store, nl.And(idle, last_done));
  nl.Next(evaluating, nl.And(idle, nl.Or(nl.And(b_end, last_k), nl.And(evaluating, nl.Not(last_store)))));
  // Omega_k goes to B_k two clocks after its sweep's last select.
  const Sig k1 = Staged(nl, "omega_k1", Sig{}, k);
  const Sig omega_index = Staged(nl, "omega_k2", Sig{}, k1);

  const Sig length = nl.DataReg("length", lw);
  const Sig kk = nl.Resize(k, lw);
  // An iteration k < s is an erasure's; decided as its factor is selected.
  const Sig erasing = Staged(nl, "erasing", factor_clock, nl.Lt(kk, erased));

  // ---- Registers: Lambda, B, the syndrome ring ----
  Poly lambda, before, ring;
  // Lambda_0 stays 1: an update or an erasure only changes the terms above.
  lambda.push_back(one);
  for (int i = 1; i < terms; ++i) lambda.push_back(nl.DataReg(Indexed("lambda", i), m));
  for (int i = 0; i < terms; ++i) before.push_back(nl.DataReg(Indexed("prior", i), m));
  if (!plan.syndrome_memory) {
    for (int i = 0; i < r; ++i) ring.push_back(nl.DataReg(Indexed("ring", i), m));
  }
  const Sig acc = nl.DataReg("accumulator", m);
  const Sig grows = nl.DataReg("grows", 1);
  const Sig inverse_b = nl.DataReg("inverse_b", m);
  const Sig carry = nl.DataReg("carry", m);  // B_(i-1) of the lane before, a group back

  // From the memory: the row reads S_(k-i), i = group lanes + u, in word
  // k - group lanes (modulo 2^width: past S_(r-1) the words are 0). Its
  // address is given the clock before, from registers only (the memory's
  // address is a short path): within a sweep A the index down by the
  // lanes; at the solve's start 0; through sweep B, and in an Omega sweep's
  // last group (known a clock ahead), k + 1, or 0 after the last
  // iteration; otherwise the address held (a clock's wait before sweep A).
  std::vector<Sig> indexed;
  if (plan.syndrome_memory) {
    const Sig omega_last = nl.Reg("omega_last_next", 1);  // an Omega sweep's last group
    nl.Next(omega_last,
            nl.Or(nl.And(b_end, last_k),
                  nl.Mux(last_group, nl.IsZero(b_group), nl.Eq(nl.AddConst(group, 1), a_group))));
    // The next selection starts a sweep: through sweep B (k is this
    // iteration's until its end), or in an Omega sweep's last group.
    const Sig starting = nl.Or(sweep_b, nl.And(sweep_a, nl.And(evaluating, omega_last)));
    const Sig last_iteration = nl.And(nl.Not(evaluating), nl.EqConst(k, static_cast<std::uint64_t>(r - 1)));
    const Sig index = nl.DataReg("syndrome_index", kw);
    const Sig address = nl.Mux(nl.Or(go, nl.And(starting, last_iteration)), nl.Zero(kw),
                               nl.Mux(starting, nl.AddConst(k, 1),
                                      nl.Mux(sweep_a, nl.Sub(index, nl.Const(static_cast<std::uint64_t>(lanes), kw)),
                                             index)));
    nl.Next(index, address);
    const Sig word = nl.MemRead(syndrome_memory, nl.Concat({syndrome_bank, address}));
    for (int lane = 0; lane < lanes; ++lane) indexed.push_back(nl.Slice(word, lane * m, m));
  }

  // The coefficients each lane sees in this group.
  const auto column = [&](const Poly& poly, int lane, int size) {
    std::vector<Sig> values;
    for (int g = 0; g < groups; ++g) {
      const int i = g * lanes + lane;
      values.push_back(i < size ? poly[static_cast<std::size_t>(i)] : zero);
    }
    return Select(nl, group, values, m);
  };

  const Sig erasure_x =
      plan.erasures ? nl.MemRead(in.erasure_memory,
                                 nl.Concat({Staged(nl, "solver_bank", go, erasure_bank_in),
                                            nl.Resize(k, BitsFor(r - 1))}))
                    : zero;
  const Sig inverse_acc = nl.GfInverseRegistered(acc);

  // Operand registers: A the Lambda coefficient (or, at the factor, the
  // discrepancy), B the syndrome, the B coefficient one below, or 1 / b.
  // The multipliers take X and B: X is A, but through sweep B the factor,
  // taken as lane 0 makes it, so that no multiplexer stands before a
  // multiplier.
  Poly op_a, op_b, op_x, products;
  for (int lane = 0; lane < lanes; ++lane) {
    op_a.push_back(nl.DataReg(Indexed("op_a", lane), m));
    op_b.push_back(nl.DataReg(Indexed("op_b", lane), m));
    op_x.push_back(nl.DataReg(Indexed("op_x", lane), m));
  }
  for (int lane = 0; lane < lanes; ++lane) {
    const std::size_t u = static_cast<std::size_t>(lane);
    products.push_back(nl.GfMul(op_x[u], op_b[u]));
  }
  // The accumulator with this clock's products; at the factor's selection
  // (the last group's multiply) it is the discrepancy.
  const Sig acc_sum = nl.Xor(nl.Mux(mul_first, zero, acc), nl.XorAll(products, m));
  nl.Next(acc, acc_sum, mul_a);

  Poly lam_sel, b_sel;
  int lambda_copy = -1, prior_copy = -1;
  if (plan.coefficient_memory) {
    // One lane reads one coefficient of each a clock: from copies of Lambda
    // and B in small memories, addressed a clock ahead, instead of a
    // selection of every register. A sweep reads only what this codeword's
    // sweeps wrote, but for Lambda_(k+1) in iteration k's sweep B (0, the
    // update's new top) and B_0 in the first (1).
    lambda_copy = nl.Memory("lambda_copy", m, 1 << gw);
    prior_copy = nl.Memory("prior_copy", m, 1 << gw);
    const Sig new_top = nl.And(sweep_b, nl.And(nl.Eq(group, b_group), nl.Ne(b_group, a_group)));
    const Sig first_b = nl.And(sweep_b, nl.And(nl.IsZero(group), nl.IsZero(k)));
    lam_sel.push_back(nl.Mux(nl.IsZero(group), one,
                             nl.Mux(new_top, zero, nl.MemRead(lambda_copy, group_next))));
    b_sel.push_back(nl.Mux(first_b, one, nl.MemRead(prior_copy, group_next)));
  } else {
    for (int lane = 0; lane < lanes; ++lane) {
      lam_sel.push_back(column(lambda, lane, terms));
      b_sel.push_back(column(before, lane, terms - 1));  // the last B is never read
    }
  }
  // Ring entries above k hold later syndromes. A discrepancy needs no mask:
  // Lambda's degree is at most its length, at most k. Omega_k's sweep masks
  // the lanes above k in its last group.
  const Sig k_last_group = nl.And(evaluating, nl.Eq(group, a_group));
  // The factor as lane 0 multiplies it: the discrepancy over b, or an
  // erasure's locator.
  const Sig factor = nl.Mux(erasing, erasure_x, products[0]);
  const Sig hold_x = nl.And(sweep_b, nl.Not(mul_f));
  // Each lane's coefficient as sweep B updates it this clock.
  std::vector<Sig> updated;
  for (int lane = 0; lane < lanes; ++lane) {
    const std::size_t u = static_cast<std::size_t>(lane);
    updated.push_back(nl.Xor(op_a[u], products[u]));
  }
  for (int lane = 0; lane < lanes; ++lane) {
    const std::size_t u = static_cast<std::size_t>(lane);
    const Sig b_prev = lane > 0 ? b_sel[u - 1] : nl.Mux(nl.IsZero(group), zero, carry);
    Sig a_op = lam_sel[u];
    if (forward.valid()) a_op = nl.Mux(forward, updated[u], a_op);  // group 0's, as updated
    const Sig syndrome = plan.syndrome_memory ? indexed[u] : column(ring, lane, r);
    Sig b_op = nl.Mux(sweep_b, b_prev, syndrome);
    if (lane == 0) {
      a_op = nl.Mux(factor_clock, acc_sum, a_op);
      b_op = nl.Mux(factor_clock, inverse_b, b_op);
    } else {
      const Sig above =
          nl.And(k_last_group, nl.Lt(k_lane, nl.Const(static_cast<std::uint64_t>(lane), k_lane.width)));
      b_op = nl.Mux(above, zero, b_op);
    }
    nl.Next(op_a[u], a_op);
    nl.Next(op_b[u], b_op);
    nl.Next(op_x[u], nl.Mux(mul_f, factor, a_op), nl.Not(hold_x));
  }
  nl.Next(carry, b_sel.back());

  // The iteration's decision, as its factor is multiplied: the discrepancy
  // is in the accumulator.
  const Sig delta_nonzero = nl.ReduceOr(acc);
  const Sig grows_now = nl.And(nl.And(nl.Not(erasing), delta_nonzero),
                               nl.Not(nl.Lt(nl.Add(kk, erased), Twice(nl, length))));
  nl.Next(grows, grows_now, mul_f);
  nl.Next(length, nl.Mux(go, erased_in,
                         nl.Mux(nl.And(mul_f, grows_now), nl.Sub(nl.Add(nl.AddConst(kk, 1), erased), length),
                                length)));
  // b = delta where Lambda grew: its inverse is read as the factor is made.
  const Sig first_b = nl.And(mul_b, nl.IsZero(mul_group));
  nl.Next(inverse_b, nl.Mux(go, one, inverse_acc), nl.Or(go, nl.And(first_b, grows)));

  // Sweep B writes its group through each lane; so does each Omega_k, into
  // B_k, once its sweep is complete. With erasures the last iteration
  // clears B instead (B is done with), as Omega may stop short of r terms.
  // An erasure's sweep B, as its products are made, writes the update to B.
  Sig clear_b = nl.Zero(1), erasure_write;
  if (plan.erasures) {
    clear_b = nl.Reg("clear_prior", 1);
    nl.Next(clear_b, nl.And(idle, nl.And(sweep_b, last_k)));
    erasure_write = nl.Reg("erasure_write", 1);
    nl.Next(erasure_write, nl.And(idle, nl.And(sweep_b, erasing)));
  }
  std::vector<Sig> b_new;
  for (int lane = 0; lane < lanes; ++lane) {
    const std::size_t u = static_cast<std::size_t>(lane);
    const Sig kept = nl.Mux(grows, op_a[u], op_b[u]);
    b_new.push_back(nl.Mux(store, acc, plan.erasures ? nl.Mux(erasure_write, updated[u], kept) : kept));
  }
  if (plan.coefficient_memory) {
    nl.MemWrite(lambda_copy, mul_group, updated[0], mul_b);
    nl.MemWrite(prior_copy, mul_group, b_new[0], mul_b);
  }
  for (int i = 0; i < terms; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    const std::size_t lane = static_cast<std::size_t>(i % lanes);
    const Sig here = nl.And(mul_b, nl.EqConst(mul_group, static_cast<std::uint64_t>(i / lanes)));
    const Sig init = i == 0 ? one : zero;
    if (i > 0) nl.Next(lambda[u], nl.Mux(go, init, updated[lane]), nl.Or(go, here));
    Sig write = nl.Or(go, here);
    if (i < omegas) write = nl.Or(write, nl.And(store, nl.EqConst(omega_index, static_cast<std::uint64_t>(i))));
    nl.Next(before[u], nl.Mux(nl.Or(go, clear_b), init, b_new[lane]), write);
  }
  // The ring turns as each factor is selected and after each Omega sweep.
  const Sig turn = nl.Or(factor_clock, omega_end);
  for (int i = 0; i < static_cast<int>(ring.size()); ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    const Sig loaded = in.syndrome_regs[static_cast<std::size_t>(i == 0 ? 0 : r - i)];
    const Sig turned = ring[static_cast<std::size_t>((i + r - 1) % r)];
    nl.Next(ring[u], nl.Mux(go, loaded, turned), nl.Or(go, turn));
  }

  SolverResult out;
  if (plan.erasures) {
    // The solve's length depends on s: the next stage takes it when the
    // longest would be done.
    out.done = MakeStage(nl, "solve", go, plan.solver_clocks).done;
  } else {
    out.done = nl.Reg("solver_done", 1);
    nl.Next(out.done, nl.And(idle, last_store));
  }
  out.lambda = lambda;
  out.omega.assign(before.begin(), before.begin() + omegas);
  out.length = length;
  out.erased = erased;
  out.overflow = overflow;
  out.bypass = bypass;
  return out;
}

SolverResult BuildParallel(Netlist& nl, const DecoderPlan&, const RsParameters& p, const InputStage& in) {
  const int m = p.m, r = p.r;
  const Sig zero = nl.Zero(m);
  const Sig one = nl.Const(1, m);
  const Sig go = in.last_take;
  const int lw = LengthWidth(r);
  const StageControl solver = MakeStage(nl, "solver", go, r);
  const Sig k = solver.step;
  const Sig solving = solver.busy;
  Poly lambda, before, window, queue;
  for (int i = 0; i <= r; ++i) lambda.push_back(nl.DataReg(Indexed("lambda", i), m));
  for (int i = 0; i <= r; ++i) before.push_back(nl.DataReg(Indexed("prior", i), m));
  for (int i = 0; i <= r; ++i) window.push_back(nl.DataReg(Indexed("window", i), m));  // S_(k-i)
  for (int i = 0; i < std::max(r - 1, 1); ++i) queue.push_back(nl.DataReg(Indexed("queue", i), m));
  const Sig length = nl.DataReg("length", lw);
  const Sig erased = Staged(nl, "solver_erased", go, nl.Resize(in.erased, lw));
  const Sig overflow = Staged(nl, "solver_overflow", go, in.overflow);
  const Sig bypass = Staged(nl, "solver_bypass", go, in.bypass);
  const Sig scale = nl.DataReg("scale", m);

  std::vector<Sig> terms;
  for (int i = 0; i <= r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    terms.push_back(nl.GfMul(lambda[u], window[u]));
  }
  const Sig dot = nl.XorAll(terms, m);
  const Sig kk = nl.Resize(k, lw);
  const Sig active = nl.And(solving, nl.Not(nl.Lt(kk, erased)));
  const Sig grows = nl.And(nl.And(active, nl.ReduceOr(dot)),
                           nl.Not(nl.Lt(nl.Add(kk, erased), Twice(nl, length))));
  nl.Next(scale, nl.Mux(go, one, nl.Mux(grows, dot, scale)));
  nl.Next(length, nl.Mux(go, nl.Resize(in.erased, lw),
                         nl.Mux(grows, nl.Sub(nl.Add(nl.AddConst(kk, 1), erased), length), length)));
  for (int i = 0; i <= r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    const Sig shifted_before = i == 0 ? zero : before[u - 1];
    const Sig updated = nl.Xor(nl.GfMul(scale, lambda[u]), nl.GfMul(dot, shifted_before));
    nl.Next(lambda[u], nl.Mux(go, in.gamma[u], nl.Mux(active, updated, lambda[u])));
    nl.Next(before[u], nl.Mux(go, in.gamma[u], nl.Mux(active, nl.Mux(grows, lambda[u], shifted_before), before[u])));
    const Sig up = i == 0 ? queue[0] : window[u - 1];
    const Sig loaded = i == 0 ? in.syndromes[0] : zero;
    nl.Next(window[u], nl.Mux(go, loaded, nl.Mux(solving, up, window[u])));
  }
  for (int j = 0; j < static_cast<int>(queue.size()); ++j) {
    const std::size_t u = static_cast<std::size_t>(j);
    const Sig loaded = j + 1 < r ? in.syndromes[u + 1] : zero;
    const Sig next = u + 1 < queue.size() ? queue[u + 1] : zero;
    nl.Next(queue[u], nl.Mux(go, loaded, nl.Mux(solving, next, queue[u])));
  }

  // Evaluator: Omega_i from i = r-1 down, one a clock.
  const StageControl ev = MakeStage(nl, "evaluator", solver.done, r);
  const Sig load = solver.done;
  Poly lam, win, omega;
  std::vector<Sig> products;
  for (int i = 0; i <= r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    lam.push_back(Staged(nl, Indexed("ev_lambda", i), load, lambda[u]));
    win.push_back(nl.DataReg(Indexed("ev_window", i), m));
    products.push_back(nl.GfMul(lam[u], win[u]));
  }
  for (int i = 0; i <= r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    const Sig down = i < r ? win[u + 1] : zero;
    const Sig loaded = i < r ? window[u + 1] : zero;
    nl.Next(win[u], nl.Mux(load, loaded, nl.Mux(ev.busy, down, win[u])));
  }
  const Sig value = nl.XorAll(products, m);
  for (int i = 0; i < r; ++i) omega.push_back(nl.DataReg(Indexed("omega", i), m));
  for (int i = 0; i < r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    nl.Next(omega[u], i == 0 ? value : omega[u - 1], ev.busy);
  }
  SolverResult out;
  out.done = ev.done;
  out.lambda = lam;
  out.omega = omega;
  out.length = Staged(nl, "ev_length", load, length);
  out.erased = Staged(nl, "ev_erased", load, erased);
  out.overflow = Staged(nl, "ev_overflow", load, overflow);
  out.bypass = Staged(nl, "ev_bypass", load, bypass);
  return out;
}

}  // namespace

SolverResult BuildSolver(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const InputStage& in) {
  SolverResult out = plan.folded ? BuildFolded(nl, plan, p, in) : BuildParallel(nl, plan, p, in);
  // The coefficients a decodable codeword can have; the rest is left unread.
  out.lambda.resize(static_cast<std::size_t>(plan.lambda_terms));
  out.omega.resize(static_cast<std::size_t>(plan.omega_terms));
  return out;
}

}  // namespace codexel::hdl::decoder
