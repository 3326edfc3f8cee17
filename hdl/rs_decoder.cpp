// The RS decoders as netlists. One pipeline serves all eight variants:
//
//   input     syndromes (and, with erasures, the erasure locator) while the
//             codeword arrives; every symbol also enters a delay memory
//   solver    Berlekamp-Massey, started from the erasure locator, r
//             iterations: inversionless on 3r + 2 multipliers at full
//             speed; at half speed two clocks an iteration on one row of
//             r + 1 multipliers, which then computes the evaluator
//             polynomial in r more clocks
//   evaluator (full speed) the evaluator polynomial on multipliers of its own
//   counting  Chien search over the n positions, p per clock: roots and
//             nonzero error values, so that numerr and decfail are known
//             before the first symbol goes out
//   output    a second Chien search with Forney's formula, one position per
//             clock, corrects the delayed symbols as they leave
//
// Each stage holds one codeword and hands it on through a registered "done";
// every timing is fixed, so a streaming decoder overlaps codewords simply by
// starting them no closer than the longest stage allows.

#include "hdl/rs_decoder.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "hdl/rs_core.h"
#include "rs_engine/rs_files.h"

namespace codexel::hdl {

namespace {

using Poly = std::vector<Sig>;

std::string Indexed(const std::string& name, int i) { return name + std::to_string(i); }

int PowerOfTwoAtLeast(int value) {
  int words = 2;
  while (words < value) words *= 2;
  return words;
}

// A stage's busy flag, step counter and registered "done".
struct StageControl {
  Sig busy;
  Sig step;
  Sig done;
  Sig last;  // busy on its last step
};

StageControl MakeStage(Netlist& nl, const std::string& name, Sig go, int clocks) {
  StageControl s;
  const int width = BitsFor(clocks);
  s.busy = nl.Reg(name + "_busy", 1);
  s.step = nl.Reg(name + "_step", width);
  s.done = nl.Reg(name + "_done", 1);
  s.last = nl.And(s.busy, nl.EqConst(s.step, static_cast<std::uint64_t>(clocks - 1)));
  nl.Next(s.busy, nl.Or(go, nl.And(s.busy, nl.Not(s.last))));
  nl.Next(s.step, nl.Mux(go, nl.Zero(width), nl.Mux(s.busy, nl.AddConst(s.step, 1), s.step)));
  nl.Next(s.done, s.last);
  return s;
}

// A register loaded at `load` and held otherwise: a codeword's facts
// travelling with it from stage to stage.
Sig Staged(Netlist& nl, const std::string& name, Sig load, Sig value) {
  const Sig reg = nl.Reg(name, value.width);
  nl.Next(reg, value, load);
  return reg;
}

Poly Registers(Netlist& nl, const std::string& name, int count, int width) {
  Poly p;
  for (int i = 0; i < count; ++i) p.push_back(nl.Reg(Indexed(name, i), width));
  return p;
}

Sig Count(Netlist& nl, const std::vector<Sig>& bits, int width) {
  Sig sum = nl.Zero(width);
  for (const Sig& b : bits) sum = nl.Add(sum, nl.Resize(b, width));
  return sum;
}

}  // namespace

DecoderPlan PlanDecoder(const RsParameters& p) {
  DecoderPlan plan;
  plan.n = p.n;
  plan.r = p.r;
  plan.erasures = p.Eras_Stnd == 1;
  plan.streaming = p.Disc_Stream != 1;
  plan.full_speed = p.Fast_Small == 1;
  plan.shared_multipliers = !plan.full_speed;
  plan.latency_bound = plan.streaming ? StreamingLatency(p.n, p.r, plan.full_speed)
                                      : DiscreteLatency(p.n, p.r, plan.full_speed);
  // Full speed counts two positions per clock; half speed as few as its
  // latency bound allows.
  for (int parallel : {1, 2, 3, 4, 6, 8}) {
    if (plan.full_speed && parallel < 2) continue;
    plan.chien_parallel = parallel;
    plan.solver_clocks = plan.shared_multipliers ? 3 * p.r : p.r;
    plan.evaluator_clocks = plan.shared_multipliers ? 0 : p.r;
    plan.chien_clocks = (p.n + parallel - 1) / parallel;
    // Edge numbers from the one that takes the last symbol (0).
    int go = plan.solver_clocks + 1;  // the next stage's load
    if (!plan.shared_multipliers) go += plan.evaluator_clocks + 1;
    const int output_load = go + plan.chien_clocks + 1;
    plan.latency = output_load + 1;
    if (plan.latency + 1 <= plan.latency_bound) break;
  }
  if (plan.latency + 1 > plan.latency_bound) {
    throw std::logic_error("decoder: no plan meets the latency bound");
  }
  plan.delay = plan.latency + p.n - 1;
  plan.delay_words = PowerOfTwoAtLeast(plan.delay);
  const int longest = std::max({plan.solver_clocks, plan.evaluator_clocks, plan.chien_clocks}) + 1;
  plan.interval = plan.streaming ? std::max(p.n, longest) : plan.delay + p.n;
  return plan;
}

Netlist BuildDecoder(const std::string& module_name, const RsParameters& p,
                     const std::vector<Port>& ports) {
  const DecoderPlan plan = PlanDecoder(p);
  CoreNetlist core(module_name, p, ports);
  Netlist& nl = core.nl();
  const Field& f = nl.field();
  const int m = p.m;
  const int n = p.n;
  const int r = p.r;
  const int b = p.genstart;
  const bool erasures = plan.erasures;
  const Sig zero = nl.Zero(m);
  const Sig one = nl.Const(1, m);
  const Sig no = nl.Zero(1);
  const Sig yes = nl.One();

  // An edge with dsout low is skipped by the whole core.
  nl.SetClockEnable(core.In("dsout"));
  const Sig rsin = core.In("rsin");
  const Sig dsin = core.In("dsin");

  // ---- Input ----
  const int cw = BitsFor(n);
  const Sig dsin_before = nl.Reg("dsin_before", 1);
  nl.Next(dsin_before, dsin);
  const Sig receiving = nl.Reg("receiving", 1);
  const Sig received = nl.Reg("received", cw);  // symbols taken of this codeword
  // A core that can start a codeword every n clocks is always ready; the
  // others count down the clocks until a start is allowed.
  const int iw = BitsFor(plan.interval);
  const bool always_ready = plan.interval <= n;
  const Sig wait = always_ready ? Sig{} : nl.Reg("wait", iw);
  const Sig ready = always_ready ? yes : nl.IsZero(wait);
  const Sig start = nl.Name(nl.And(nl.And(dsin, nl.Not(dsin_before)), nl.And(ready, nl.Not(receiving))),
                            "start");
  const Sig take = nl.Or(start, receiving);
  const Sig position = nl.Mux(start, nl.Zero(cw), received);
  const Sig last_take = nl.Name(nl.And(take, nl.EqConst(position, static_cast<std::uint64_t>(n - 1))),
                                "last_take");
  nl.Next(receiving, nl.Or(start, nl.And(receiving, nl.Not(last_take))));
  nl.Next(received, nl.Mux(take, nl.AddConst(position, 1), received));
  if (!always_ready) {
    nl.Next(wait, nl.Mux(start, nl.Const(static_cast<std::uint64_t>(plan.interval - 1), iw),
                         nl.Mux(nl.IsZero(wait), wait, nl.Sub(wait, nl.Const(1, iw)))));
  }
  nl.Output("rdyin", ready);

  // Syndromes S_j = r(alpha^(b+j)), by Horner's rule, highest power first.
  Poly syndrome_in;  // the values after this edge's symbol
  for (int j = 0; j < r; ++j) {
    const Sig s = nl.Reg(Indexed("syndrome", j), m);
    const Sig folded = nl.Xor(nl.Mux(start, zero, nl.GfMulConst(s, f.Power(b + j))), rsin);
    nl.Next(s, folded, take);
    syndrome_in.push_back(folded);
  }
  const Sig bypass_reg = nl.Reg("bypass_in", 1);
  const Sig bypass_in = nl.Mux(start, core.In("bypass"), bypass_reg);
  nl.Next(bypass_reg, bypass_in, take);

  // Erasure locator prod (1 + X x) over the flagged positions, X = alpha^j
  // for c[j]; the first symbol is c[n-1].
  const int sw = BitsFor(r + 1);
  Poly gamma_in(static_cast<std::size_t>(r + 1), one);
  Sig erased_in = nl.Zero(sw);
  Sig overflow_in = no;
  if (erasures) {
    const Sig flag = core.In("eras_ind");
    const Sig locator = nl.Reg("locator", m);
    const Sig x = nl.Mux(start, nl.Const(static_cast<std::uint64_t>(f.Power(n - 1)), m), locator);
    nl.Next(locator, nl.GfMulConst(x, f.Power(-1)), take);
    // Registers for x^1..x^r; the constant term is always 1.
    Poly gamma{one};
    for (int i = 1; i <= r; ++i) gamma.push_back(nl.Reg(Indexed("gamma", i), m));
    Poly base{one};
    for (int i = 1; i <= r; ++i) base.push_back(nl.Mux(start, zero, gamma[static_cast<std::size_t>(i)]));
    for (int i = 1; i <= r; ++i) {
      const std::size_t u = static_cast<std::size_t>(i);
      const Sig widened = nl.Xor(base[u], nl.GfMul(x, base[u - 1]));
      gamma_in[u] = nl.Mux(flag, widened, base[u]);
      nl.Next(gamma[u], gamma_in[u], take);
    }
    const Sig erased = nl.Reg("erased", sw);
    const Sig overflow = nl.Reg("overflow", 1);
    const Sig erased_base = nl.Mux(start, nl.Zero(sw), erased);
    const Sig full = nl.EqConst(erased_base, static_cast<std::uint64_t>(r));
    erased_in = nl.Mux(nl.And(flag, nl.Not(full)), nl.AddConst(erased_base, 1), erased_base);
    overflow_in = nl.Or(nl.And(nl.Not(start), overflow), nl.And(flag, full));
    nl.Next(erased, erased_in, take);
    nl.Next(overflow, overflow_in, take);
  } else {
    for (int i = 1; i <= r; ++i) gamma_in[static_cast<std::size_t>(i)] = zero;
  }

  // Delay memory: every symbol in, read back `delay` clocks later.
  const int aw = BitsFor(plan.delay_words - 1);
  const int memory = nl.Memory("delay", m, plan.delay_words);
  const Sig write_address = nl.Reg("write_address", aw);
  nl.Next(write_address, nl.AddConst(write_address, 1));
  nl.MemWrite(memory, write_address, rsin, yes);
  const Sig delayed = nl.MemRead(
      memory, nl.Sub(write_address, nl.Const(static_cast<std::uint64_t>(plan.delay - 1), aw)));

  // ---- Solver: Berlekamp-Massey from the erasure locator ----
  // Full speed: the inversionless form, one iteration a clock, on 3r + 2
  // multipliers. Half speed: one row of r + 1 multipliers, two clocks an
  // iteration (the discrepancy, then Lambda += (delta / b) x B), and then r
  // clocks of the evaluator polynomial on the same row.
  const bool folded = plan.shared_multipliers;
  const int lw = BitsFor(4 * r + 2);
  const StageControl solver = MakeStage(nl, "solver", last_take, plan.solver_clocks);
  const Sig step = solver.step;
  const Sig k = folded ? nl.Slice(step, 1, step.width - 1) : step;  // iteration
  const int solve_clocks = folded ? 2 * r : r;
  const Sig solving =
      nl.And(solver.busy, nl.Lt(step, nl.Const(static_cast<std::uint64_t>(solve_clocks), step.width)));
  const Sig evaluating = nl.And(solver.busy, nl.Not(solving));
  const Sig updating = folded ? nl.And(solving, nl.Bit(step, 0)) : solving;
  const Poly lambda = Registers(nl, "lambda", r + 1, m);
  const Poly before = Registers(nl, "prior", r + 1, m);  // B(x)
  const Poly window = Registers(nl, "window", r + 1, m);  // window_i = S_(k-i)
  const Poly queue = Registers(nl, "queue", std::max(r - 1, 1), m);  // S_(k+1) ...
  const Sig length = nl.Reg("length", lw);
  const Sig erased = nl.Reg("solver_erased", lw);
  const Sig overflow = nl.Reg("solver_overflow", 1);
  const Sig bypass = nl.Reg("solver_bypass", 1);
  const Sig go = last_take;
  // Half speed keeps the discrepancy and its quotient by the last nonzero
  // one (b, held as its inverse) from the first clock of an iteration.
  const Sig delta = folded ? nl.Reg("delta", m) : Sig{};
  const Sig factor = folded ? nl.Reg("factor", m) : Sig{};
  const Sig inverse_b = folded ? nl.Reg("inverse_b", m, 1) : Sig{};
  const Sig scale = folded ? Sig{} : nl.Reg("scale", m, 1);

  // The row of multipliers: lambda times the window (the discrepancy, or in
  // the evaluator phase Omega_i from i = r-1 down); at half speed, on the
  // second clock of an iteration, the factor times x B(x).
  std::vector<Sig> terms;
  for (int i = 0; i <= r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    const Sig above = i < r ? window[u + 1] : zero;
    Sig a = lambda[u];
    Sig w = window[u];
    if (folded) {
      const Sig shifted_before = i == 0 ? zero : before[u - 1];
      a = nl.Mux(updating, factor, lambda[u]);
      w = nl.Mux(updating, shifted_before, nl.Mux(evaluating, above, window[u]));
    }
    terms.push_back(nl.GfMul(a, w));
  }
  const Sig dot = nl.XorAll(terms, m);
  const Sig kk = nl.Resize(k, lw);
  const Sig active = nl.And(updating, nl.Not(nl.Lt(kk, erased)));
  const Sig discrepancy = folded ? delta : dot;
  const Sig grows = nl.And(nl.And(active, nl.ReduceOr(discrepancy)),
                           nl.Not(nl.Lt(nl.Add(kk, erased), nl.Add(length, length))));
  if (folded) {
    const Sig first_clock = nl.And(solving, nl.Not(updating));
    nl.Next(delta, dot, first_clock);
    nl.Next(factor, nl.GfMul(dot, inverse_b), first_clock);
    nl.Next(inverse_b, nl.Mux(go, one, nl.Mux(grows, nl.GfInverse(delta), inverse_b)));
  } else {
    nl.Next(scale, nl.Mux(go, one, nl.Mux(grows, dot, scale)));
  }
  nl.Next(length, nl.Mux(go, nl.Resize(erased_in, lw),
                         nl.Mux(grows, nl.Sub(nl.Add(nl.AddConst(kk, 1), erased), length), length)));
  for (int i = 0; i <= r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    const Sig shifted_before = i == 0 ? zero : before[u - 1];
    const Sig updated = folded ? nl.Xor(lambda[u], terms[u])
                               : nl.Xor(nl.GfMul(scale, lambda[u]), nl.GfMul(dot, shifted_before));
    nl.Next(lambda[u], nl.Mux(go, gamma_in[u], nl.Mux(active, updated, lambda[u])));
    nl.Next(before[u], nl.Mux(go, gamma_in[u], nl.Mux(active, nl.Mux(grows, lambda[u], shifted_before), before[u])));
    // Each iteration shifts the window up (next syndrome in at 0); the
    // evaluator phase shifts it down.
    const Sig up = i == 0 ? queue[0] : window[u - 1];
    const Sig down = i < r ? window[u + 1] : zero;
    const Sig loaded = i == 0 ? syndrome_in[0] : zero;
    nl.Next(window[u], nl.Mux(go, loaded, nl.Mux(updating, up, nl.Mux(evaluating, down, window[u]))));
  }
  for (int j = 0; j < static_cast<int>(queue.size()); ++j) {
    const std::size_t u = static_cast<std::size_t>(j);
    const Sig loaded = j + 1 < r ? syndrome_in[u + 1] : zero;
    const Sig next = u + 1 < queue.size() ? queue[u + 1] : zero;
    nl.Next(queue[u], nl.Mux(go, loaded, nl.Mux(updating, next, queue[u])));
  }
  nl.Next(erased, nl.Mux(go, nl.Resize(erased_in, lw), erased));
  nl.Next(overflow, nl.Mux(go, overflow_in, overflow));
  nl.Next(bypass, nl.Mux(go, bypass_in, bypass));

  // ---- Evaluator polynomial Omega = S * Lambda mod x^r ----
  Poly omega;
  Poly lambda_out = lambda;
  Sig length_out = length, erased_out = erased, overflow_out = overflow, bypass_out = bypass;
  Sig chien_go = solver.done;
  if (plan.shared_multipliers) {
    omega = Registers(nl, "omega", r, m);
    for (int i = 0; i < r; ++i) {
      const std::size_t u = static_cast<std::size_t>(i);
      nl.Next(omega[u], i == 0 ? dot : omega[u - 1], evaluating);
    }
  } else {
    const StageControl ev = MakeStage(nl, "evaluator", solver.done, plan.evaluator_clocks);
    const Sig load = solver.done;
    const Poly lam = Registers(nl, "ev_lambda", r + 1, m);
    const Poly win = Registers(nl, "ev_window", r + 1, m);
    std::vector<Sig> products;
    for (int i = 0; i <= r; ++i) {
      const std::size_t u = static_cast<std::size_t>(i);
      products.push_back(nl.GfMul(lam[u], win[u]));
      nl.Next(lam[u], lambda[u], load);
      const Sig down = i < r ? win[u + 1] : zero;
      const Sig loaded = i < r ? window[u + 1] : zero;
      nl.Next(win[u], nl.Mux(load, loaded, nl.Mux(ev.busy, down, win[u])));
    }
    const Sig value = nl.XorAll(products, m);
    omega = Registers(nl, "omega", r, m);
    for (int i = 0; i < r; ++i) {
      const std::size_t u = static_cast<std::size_t>(i);
      nl.Next(omega[u], i == 0 ? value : omega[u - 1], ev.busy);
    }
    lambda_out = lam;
    length_out = Staged(nl, "ev_length", load, length);
    erased_out = Staged(nl, "ev_erased", load, erased);
    overflow_out = Staged(nl, "ev_overflow", load, overflow);
    bypass_out = Staged(nl, "ev_bypass", load, bypass);
    chien_go = ev.done;
  }

  // ---- Counting pass: roots and nonzero error values ----
  // Position j is tested with z = alpha^(-j), from j = n-1 down: the terms
  // Lambda_i z^i start at Lambda_i alpha^(-i(n-1)) and gain alpha^i per
  // position. The error value there is z^b Omega(z) / Lambda_odd(z), with
  // Lambda_odd(z) = z Lambda'(z).
  const int par = plan.chien_parallel;
  const StageControl chien = MakeStage(nl, "chien", chien_go, plan.chien_clocks);
  const Sig load = chien_go;
  Poly c_lambda, c_omega;
  for (int i = 0; i <= r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    const Sig reg = nl.Reg(Indexed("c_lambda", i), m);
    nl.Next(reg, nl.Mux(load, nl.GfMulConst(lambda_out[u], f.Power(-i * (n - 1))),
                        nl.Mux(chien.busy, nl.GfMulConst(reg, f.Power(i * par)), reg)));
    c_lambda.push_back(reg);
  }
  for (int i = 0; i < r; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    const Sig reg = nl.Reg(Indexed("c_omega", i), m);
    nl.Next(reg, nl.Mux(load, nl.GfMulConst(omega[u], f.Power(-i * (n - 1))),
                        nl.Mux(chien.busy, nl.GfMulConst(reg, f.Power(i * par)), reg)));
    c_omega.push_back(reg);
  }
  const Sig c_power = nl.Reg("c_power", m);
  const Sig power_start = nl.Const(static_cast<std::uint64_t>(f.Power(-b * (n - 1))), m);
  nl.Next(c_power, nl.Mux(load, power_start, nl.Mux(chien.busy, nl.GfMulConst(c_power, f.Power(b * par)), c_power)));
  const Sig c_length = Staged(nl, "c_length", load, length_out);
  const Sig c_erased = Staged(nl, "c_erased", load, erased_out);
  const Sig c_overflow = Staged(nl, "c_overflow", load, overflow_out);
  const Sig c_bypass = Staged(nl, "c_bypass", load, bypass_out);
  // Lambda and Omega at `shift` positions further on, and the error value.
  struct Evaluation {
    Sig root;
    Sig value;
  };
  const auto evaluate = [&](const Poly& lam, const Poly& om, Sig power, int shift, bool with_value) {
    std::vector<Sig> all, odd, omv;
    for (int i = 0; i <= r; ++i) {
      const Sig t = nl.GfMulConst(lam[static_cast<std::size_t>(i)], f.Power(i * shift));
      all.push_back(t);
      if (i % 2) odd.push_back(t);
    }
    Evaluation e{nl.IsZero(nl.XorAll(all, m)), zero};
    if (with_value) {
      for (int i = 0; i < r; ++i) omv.push_back(nl.GfMulConst(om[static_cast<std::size_t>(i)], f.Power(i * shift)));
      const Sig weight = nl.GfMulConst(power, f.Power(b * shift));
      e.value = nl.GfMul(nl.GfMul(weight, nl.XorAll(omv, m)), nl.GfInverse(nl.XorAll(odd, m)));
    }
    return e;
  };
  const int rw = BitsFor(r);
  const int last_group = n - (plan.chien_clocks - 1) * par;  // positions in the last step
  std::vector<Sig> roots, changes;
  for (int d = 0; d < par; ++d) {
    const Evaluation e = evaluate(c_lambda, c_omega, c_power, d, erasures);
    Sig valid = chien.busy;
    if (d >= last_group) valid = nl.And(valid, nl.Not(chien.last));
    const Sig root = nl.And(valid, e.root);
    roots.push_back(root);
    if (erasures) changes.push_back(nl.And(root, nl.ReduceOr(e.value)));
  }
  const Sig root_count = nl.Reg("root_count", rw + 1);
  nl.Next(root_count, nl.Mux(load, nl.Zero(rw + 1), nl.Add(root_count, Count(nl, roots, rw + 1))));
  Sig change_count = root_count;
  if (erasures) {
    change_count = nl.Reg("change_count", rw + 1);
    nl.Next(change_count, nl.Mux(load, nl.Zero(rw + 1), nl.Add(change_count, Count(nl, changes, rw + 1))));
  }
  // Not correctable: too many erasures, a locator whose roots are not all
  // among the positions, or more errors than the check symbols allow.
  const Sig twice = nl.Add(c_length, c_length);
  const Sig fail = nl.Or(nl.Or(c_overflow, nl.Ne(nl.Resize(root_count, lw), c_length)),
                         nl.Lt(nl.Add(nl.Const(static_cast<std::uint64_t>(r), lw), c_erased), twice));

  // ---- Output: the second Chien search, in step with the delayed word ----
  const Sig out_go = chien.done;
  const Sig out_busy = nl.Reg("out_busy", 1);
  const Sig out_count = nl.Reg("out_count", cw);
  const Sig out_last = nl.And(out_busy, nl.EqConst(out_count, static_cast<std::uint64_t>(n - 1)));
  nl.Next(out_busy, nl.Or(out_go, nl.And(out_busy, nl.Not(out_last))));
  nl.Next(out_count, nl.Mux(out_go, nl.Zero(cw), nl.Mux(out_busy, nl.AddConst(out_count, 1), out_count)));
  // The counting pass left its terms chien_clocks * par positions on.
  const int rewind = -plan.chien_clocks * par;
  Poly o_lambda, o_omega;
  for (int i = 0; i <= r; ++i) {
    const Sig reg = nl.Reg(Indexed("o_lambda", i), m);
    nl.Next(reg, nl.Mux(out_go, nl.GfMulConst(c_lambda[static_cast<std::size_t>(i)], f.Power(i * rewind)),
                        nl.GfMulConst(reg, f.Power(i))));
    o_lambda.push_back(reg);
  }
  for (int i = 0; i < r; ++i) {
    const Sig reg = nl.Reg(Indexed("o_omega", i), m);
    const Sig start_value = nl.GfMulConst(c_omega[static_cast<std::size_t>(i)], f.Power(i * rewind));
    nl.Next(reg, nl.Mux(out_go, start_value, nl.GfMulConst(reg, f.Power(i))));
    o_omega.push_back(reg);
  }
  const Sig o_power = nl.Reg("o_power", m);
  nl.Next(o_power, nl.Mux(out_go, power_start, nl.GfMulConst(o_power, f.Power(b))));
  const Sig o_fail = Staged(nl, "o_fail", out_go, nl.And(fail, nl.Not(c_bypass)));
  const Sig o_clean = Staged(nl, "o_clean", out_go, nl.Or(fail, c_bypass));
  const Sig o_count = Staged(nl, "o_count", out_go, nl.Resize(change_count, rw));
  const Evaluation here = evaluate(o_lambda, o_omega, o_power, 0, true);
  const Sig correct = nl.And(here.root, nl.Not(o_clean));
  const Sig rsout = nl.Reg("rsout", m);
  nl.Next(rsout, nl.Mux(out_busy, nl.Xor(delayed, nl.Mux(correct, here.value, zero)), zero));
  const Sig outvalid = nl.Reg("outvalid", 1);
  nl.Next(outvalid, out_busy);
  const Sig numerr = nl.Reg("numerr", rw);
  nl.Next(numerr, nl.Mux(nl.And(out_busy, nl.Not(o_clean)), o_count, nl.Zero(rw)));
  const Sig decfail = nl.Reg("decfail", 1);
  nl.Next(decfail, nl.And(out_busy, o_fail));
  nl.Output("rsout", rsout);
  nl.Output("outvalid", outvalid);
  nl.Output("numerr", numerr);
  nl.Output("decfail", decfail);
  nl.Check();
  return std::move(nl);
}

}  // namespace codexel::hdl
