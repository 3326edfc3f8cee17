// One Chien and Forney pass a codeword. Position j is tested with
// z = alpha^(-j), from j = n-1 down, `chien_parallel` positions a clock: the
// terms Lambda_i z^i start at Lambda_i alpha^(-i(n-1)) and gain
// alpha^(i p) a clock. Where Lambda(z) = 0 the error value is
// z^b Omega(z) / Lambda_odd(z) (Lambda_odd(z) = z Lambda'(z)), two clocks
// later: the inverse from the field's table, then two multipliers in two
// clocks. Every position's change (0 where none) goes to the change memory,
// a word a clock, in two banks; the roots and nonzero changes are counted,
// and one clock after the last position numerr and decfail are decided.

#include "hdl/decoder_stages.h"
#include "hdl/rs_core.h"

namespace codexel::hdl::decoder {

ChienResult BuildChien(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const SolverResult& s) {
  const Field& f = nl.field();
  const int m = p.m, n = p.n, r = p.r, b = p.genstart;
  const int par = plan.chien_parallel, clocks = plan.chien_clocks;
  const Sig go = s.done;

  const int cw = BitsFor(clocks - 1);
  const Sig busy = nl.Reg("chien_busy", 1);
  const Sig step = nl.Reg("chien_step", cw);
  const Sig last = nl.And(busy, nl.EqConst(step, static_cast<std::uint64_t>(clocks - 1)));
  nl.Next(busy, nl.Or(go, nl.And(busy, nl.Not(last))));
  nl.Next(step, nl.Mux(nl.Or(go, last), nl.Zero(cw), nl.Mux(busy, nl.AddConst(step, 1), step)));
  const Sig bank = nl.Reg("chien_bank", 1);
  nl.Next(bank, nl.Not(bank), go);

  const Sig advance = nl.Or(go, busy);
  Poly c_lambda, c_omega;
  for (int i = 0; i <= r; ++i) {
    const Sig reg = nl.DataReg(Indexed("c_lambda", i), m);
    nl.Next(reg, nl.Mux(go, nl.GfMulConst(s.lambda[static_cast<std::size_t>(i)], f.Power(-i * (n - 1))),
                        nl.GfMulConst(reg, f.Power(i * par))), advance);
    c_lambda.push_back(reg);
  }
  for (int i = 0; i < r; ++i) {
    const Sig reg = nl.DataReg(Indexed("c_omega", i), m);
    nl.Next(reg, nl.Mux(go, nl.GfMulConst(s.omega[static_cast<std::size_t>(i)], f.Power(-i * (n - 1))),
                        nl.GfMulConst(reg, f.Power(i * par))), advance);
    c_omega.push_back(reg);
  }
  const Sig c_power = nl.DataReg("c_power", m);
  nl.Next(c_power, nl.Mux(go, nl.Const(static_cast<std::uint64_t>(f.Power(-b * (n - 1))), m),
                          nl.GfMulConst(c_power, f.Power(b * par))), advance);
  const Sig length = Staged(nl, "c_length", go, s.length);
  const Sig erased = Staged(nl, "c_erased", go, s.erased);
  const Sig overflow = Staged(nl, "c_overflow", go, s.overflow);
  const Sig bypass = Staged(nl, "c_bypass", go, s.bypass);

  // First clock: Lambda, Lambda_odd and Omega at each lane's position.
  const int last_lanes = n - (clocks - 1) * par;  // positions in the last clock
  std::vector<Sig> root1, omega1, weight1, inverse1;
  for (int d = 0; d < par; ++d) {
    std::vector<Sig> all, odd, om;
    for (int i = 0; i <= r; ++i) {
      const Sig t = nl.GfMulConst(c_lambda[static_cast<std::size_t>(i)], f.Power(i * d));
      all.push_back(t);
      if (i % 2) odd.push_back(t);
    }
    for (int i = 0; i < r; ++i) om.push_back(nl.GfMulConst(c_omega[static_cast<std::size_t>(i)], f.Power(i * d)));
    Sig valid = busy;
    if (d >= last_lanes) valid = nl.And(valid, nl.Not(last));
    root1.push_back(Staged(nl, Indexed("root1_", d), Sig{}, nl.And(valid, nl.IsZero(nl.XorAll(all, m)))));
    omega1.push_back(Staged(nl, Indexed("omega1_", d), Sig{}, nl.XorAll(om, m)));
    weight1.push_back(Staged(nl, Indexed("weight1_", d), Sig{}, nl.GfMulConst(c_power, f.Power(b * d))));
    inverse1.push_back(nl.GfInverseRegistered(nl.XorAll(odd, m)));
  }
  const Sig valid1 = nl.Reg("chien_valid1", 1);
  const Sig first1 = nl.Reg("chien_first1", 1);
  const Sig last1 = nl.Reg("chien_last1", 1);
  nl.Next(valid1, busy);
  nl.Next(first1, nl.And(busy, nl.IsZero(step)));
  nl.Next(last1, last);
  const Sig word1 = Staged(nl, "chien_word1", Sig{}, step);
  const Sig bank1 = Staged(nl, "chien_bank1", Sig{}, bank);

  // Second clock: z^b Omega(z), and the inverse of Lambda_odd(z).
  std::vector<Sig> root2, numerator2, inverse2;
  for (int d = 0; d < par; ++d) {
    const std::size_t u = static_cast<std::size_t>(d);
    root2.push_back(Staged(nl, Indexed("root2_", d), Sig{}, root1[u]));
    numerator2.push_back(Staged(nl, Indexed("numerator2_", d), Sig{}, nl.GfMul(omega1[u], weight1[u])));
    inverse2.push_back(Staged(nl, Indexed("inverse2_", d), Sig{}, inverse1[u]));
  }
  const Sig valid2 = nl.Reg("chien_valid2", 1);
  const Sig first2 = nl.Reg("chien_first2", 1);
  const Sig last2 = nl.Reg("chien_last2", 1);
  nl.Next(valid2, valid1);
  nl.Next(first2, first1);
  nl.Next(last2, last1);
  const Sig word2 = Staged(nl, "chien_word2", Sig{}, word1);
  const Sig bank2 = Staged(nl, "chien_bank2", Sig{}, bank1);

  // Third clock: the values into the change memory, the counts.
  const int ww = BitsFor(plan.chien_words - 1);
  std::vector<Sig> changes_high_first, roots, nonzero;
  for (int d = par - 1; d >= 0; --d) {
    const std::size_t u = static_cast<std::size_t>(d);
    const Sig value = nl.GfMul(numerator2[u], inverse2[u]);
    changes_high_first.push_back(nl.Mux(root2[u], value, nl.Zero(m)));
  }
  for (int d = 0; d < par; ++d) {
    const std::size_t u = static_cast<std::size_t>(d);
    roots.push_back(root2[u]);
    nonzero.push_back(nl.And(root2[u], nl.ReduceOr(changes_high_first[static_cast<std::size_t>(par - 1 - d)])));
  }
  ChienResult result;
  result.change_memory = nl.Memory("changes", m * par, 2 * plan.chien_words);
  nl.MemWrite(result.change_memory, nl.Concat({bank2, nl.Resize(word2, ww)}), nl.Concat(changes_high_first),
              valid2);
  const int rw = BitsFor(r) + 1;
  const Sig root_count = nl.DataReg("root_count", rw);
  nl.Next(root_count, nl.Add(nl.Mux(first2, nl.Zero(rw), root_count), CountOnes(nl, roots, rw)), valid2);
  Sig change_count = root_count;
  if (plan.erasures) {
    change_count = nl.DataReg("change_count", rw);
    nl.Next(change_count, nl.Add(nl.Mux(first2, nl.Zero(rw), change_count), CountOnes(nl, nonzero, rw)),
            valid2);
  }
  // The codeword's facts, kept from its last position on (a next codeword
  // may load the stage at that edge).
  const Sig f_length = Staged(nl, "f_length", last, length);
  const Sig f_erased = Staged(nl, "f_erased", last, erased);
  const Sig f_overflow = Staged(nl, "f_overflow", last, overflow);
  const Sig f_bypass = Staged(nl, "f_bypass", last, bypass);
  result.bank = Staged(nl, "f_bank", last2, bank2);

  // Decision: too many erasures, a locator whose roots are not all among
  // the positions, or more errors than the check symbols allow.
  const Sig decide = nl.Reg("chien_decide", 1);
  nl.Next(decide, last2);
  const int lw = f_length.width;
  const Sig twice = nl.Add(f_length, f_length);
  const Sig fail = nl.Or(nl.Or(f_overflow, nl.Ne(nl.Resize(root_count, lw), f_length)),
                         nl.Lt(nl.Add(nl.Const(static_cast<std::uint64_t>(r), lw), f_erased), twice));
  result.fail = nl.And(fail, nl.Not(f_bypass));
  result.clean = nl.Or(fail, f_bypass);
  result.count = nl.Resize(change_count, BitsFor(r));
  result.go = decide;
  return result;
}

}  // namespace codexel::hdl::decoder
