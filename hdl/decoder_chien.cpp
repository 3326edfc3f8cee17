// One Chien and Forney pass a codeword, `chien_parallel` positions a clock.
// Output symbol q (c[j], j = n-1-q) is lane q mod p of pass word q / p; the
// pass goes through the words from the last to the first, so that position
// j rises by p a clock from j0 = n-1-(words-1)p: the terms Lambda_i z^i
// (z = alpha^(-j)) start as Lambda_i itself and gain alpha^(-i p) a clock,
// and lane d adds the constant alpha^(-i(j0-d)). Omega's terms carry z^b as
// well (alpha^(-(i+b)) per position), so that their sum is z^b Omega(z), and
// where Lambda(z) = 0 the error value is that times the inverse of
// Lambda_odd(z) = z Lambda'(z): the inverse from the field's table,
// registered, then one multiplier into a register. A codeword has no more
// changes than its locator has roots, so each lane pushes the change at
// each root with its word onto a small stack (two banks: one codeword's
// being pushed, the one before's being put out); the output takes them from
// the top, the lowest word first, as its symbols leave. Where the stacks
// would be large (many check symbols), every position's change goes to a
// change memory instead, lane q mod p of word q / p. The roots and nonzero
// changes are counted, and one clock after the last position's change is
// stored numerr and decfail are decided.

#include "hdl/decoder_stages.h"
#include "hdl/rs_core.h"

namespace codexel::hdl::decoder {

namespace {

// What the pass knows of a clock, carried along its pipeline.
struct PassClock {
  Sig valid, first, last;  // a position evaluated; the codeword's first, last
  Sig word, bank;          // where its changes go
};

PassClock Delay(Netlist& nl, const std::string& stage, const PassClock& c) {
  PassClock d;
  d.valid = nl.Reg("chien_valid" + stage, 1);
  d.first = nl.Reg("chien_first" + stage, 1);
  d.last = nl.Reg("chien_last" + stage, 1);
  nl.Next(d.valid, c.valid);
  nl.Next(d.first, c.first);
  nl.Next(d.last, c.last);
  d.word = Staged(nl, "chien_word" + stage, Sig{}, c.word);
  d.bank = Staged(nl, "chien_bank" + stage, Sig{}, c.bank);
  return d;
}

}  // namespace

ChienResult BuildChien(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const SolverResult& s) {
  const Field& f = nl.field();
  const int m = p.m, n = p.n, r = p.r, b = p.genstart;
  const int par = plan.chien_parallel, clocks = plan.chien_clocks;
  const int j0 = n - 1 - (clocks - 1) * par;  // position of lane 0 in the first clock
  const Sig go = s.done;

  // The word in hand counts down from the last.
  const int cw = BitsFor(clocks - 1);
  const Sig busy = nl.Reg("chien_busy", 1);
  const Sig word = nl.Reg("chien_word", cw);
  const Sig first = nl.And(busy, nl.EqConst(word, static_cast<std::uint64_t>(clocks - 1)));
  const Sig last = nl.And(busy, nl.IsZero(word));
  nl.Next(busy, nl.Or(go, nl.And(busy, nl.Not(last))));
  nl.Next(word, nl.Mux(go, nl.Const(static_cast<std::uint64_t>(clocks - 1), cw), nl.Sub(word, nl.Const(1, cw))),
          nl.Or(go, busy));
  const Sig bank = nl.Reg("chien_bank", 1);
  nl.Next(bank, nl.Not(bank), go);

  const Sig advance = nl.Or(go, busy);
  Poly c_lambda, c_omega;
  const int terms = static_cast<int>(s.lambda.size()), omegas = static_cast<int>(s.omega.size());
  for (int i = 0; i < terms; ++i) {
    const Sig reg = nl.DataReg(Indexed("c_lambda", i), m);
    nl.Next(reg, nl.Mux(go, s.lambda[static_cast<std::size_t>(i)], nl.GfMulConst(reg, f.Power(-i * par))),
            advance);
    c_lambda.push_back(reg);
  }
  for (int i = 0; i < omegas; ++i) {
    const Sig reg = nl.DataReg(Indexed("c_omega", i), m);
    nl.Next(reg, nl.Mux(go, s.omega[static_cast<std::size_t>(i)], nl.GfMulConst(reg, f.Power(-(i + b) * par))),
            advance);
    c_omega.push_back(reg);
  }
  const Sig length = Staged(nl, "c_length", go, s.length);
  const Sig erased = Staged(nl, "c_erased", go, s.erased);
  const Sig overflow = Staged(nl, "c_overflow", go, s.overflow);
  const Sig bypass = Staged(nl, "c_bypass", go, s.bypass);

  // First clock: Lambda(z), Lambda_odd(z) and z^b Omega(z) at each lane's
  // position; a lane past c[0] in the first clock finds nothing.
  std::vector<Sig> root1, omega1, inverse1;
  for (int d = 0; d < par; ++d) {
    const int shift = j0 - d;
    std::vector<Sig> even, odd, om;
    for (int i = 0; i < terms; ++i) {
      const Sig t = nl.GfMulConst(c_lambda[static_cast<std::size_t>(i)], f.Power(-i * shift));
      (i % 2 ? odd : even).push_back(t);
    }
    // Lambda(z) from its odd part, which Forney's formula needs as well.
    const Sig odd_sum = nl.XorAll(odd, m);
    for (int i = 0; i < omegas; ++i) {
      om.push_back(nl.GfMulConst(c_omega[static_cast<std::size_t>(i)], f.Power(-(i + b) * shift)));
    }
    Sig valid = busy;
    if (shift < 0) valid = nl.And(valid, nl.Not(first));
    const Sig lambda_z = nl.Xor(nl.XorAll(even, m), odd_sum);
    root1.push_back(Staged(nl, Indexed("root1_", d), Sig{}, nl.And(valid, nl.IsZero(lambda_z))));
    omega1.push_back(Staged(nl, Indexed("omega1_", d), Sig{}, nl.XorAll(om, m)));
    inverse1.push_back(nl.GfInverseRegistered(odd_sum));
  }
  const PassClock c1 = Delay(nl, "1", PassClock{busy, first, last, word, bank});

  // Second clock: the changes, registered (the table's output is slow).
  std::vector<Sig> change2, root2;
  for (int d = 0; d < par; ++d) {
    const std::size_t u = static_cast<std::size_t>(d);
    const Sig value = nl.GfMul(omega1[u], inverse1[u]);
    change2.push_back(Staged(nl, Indexed("change2_", d), Sig{}, nl.Mux(root1[u], value, nl.Zero(m))));
    root2.push_back(Staged(nl, Indexed("root2_", d), Sig{}, root1[u]));
  }
  const PassClock c2 = Delay(nl, "2", c1);

  // Third clock: the changes at roots onto their lanes' stacks (a locator
  // has no more roots than its degree), or every change into the memory;
  // the counts.
  ChienResult result;
  const int ew = BitsFor(plan.change_entries - 1);
  if (!plan.change_stack) {
    std::vector<Sig> changes_high_first(change2.rbegin(), change2.rend());
    const int ww = BitsFor(plan.chien_words - 1);
    result.change_memory = nl.Memory("changes", m * par, 2 * plan.chien_words);
    nl.MemWrite(result.change_memory, nl.Concat({c2.bank, nl.Resize(c2.word, ww)}),
                nl.Concat(changes_high_first), c2.valid);
  }
  for (int d = 0; d < par && plan.change_stack; ++d) {
    const std::size_t u = static_cast<std::size_t>(d);
    ChangeStack stack;
    stack.memory = nl.Memory(Indexed("changes", d), cw + m, 2 * plan.change_entries);
    stack.pushed = nl.DataReg(Indexed("pushed", d), ew + 1);
    const Sig base = nl.Mux(c2.first, nl.Zero(ew + 1), stack.pushed);
    const Sig push = nl.And(c2.valid, root2[u]);
    nl.MemWrite(stack.memory, nl.Concat({c2.bank, nl.Resize(base, ew)}), nl.Concat({c2.word, change2[u]}), push);
    nl.Next(stack.pushed, nl.Mux(push, nl.AddConst(base, 1), base), c2.valid);
    result.stacks.push_back(stack);
  }
  const int rw = BitsFor(r) + 1;
  const Sig root_count = nl.DataReg("root_count", rw);
  nl.Next(root_count, nl.Add(nl.Mux(c2.first, nl.Zero(rw), root_count), CountOnes(nl, root2, rw)), c2.valid);
  Sig change_count = root_count;
  if (plan.erasures) {
    // An erased symbol that was right is a root without a change.
    std::vector<Sig> nonzero;
    for (const Sig& change : change2) nonzero.push_back(nl.ReduceOr(change));
    change_count = nl.DataReg("change_count", rw);
    nl.Next(change_count, nl.Add(nl.Mux(c2.first, nl.Zero(rw), change_count), CountOnes(nl, nonzero, rw)),
            c2.valid);
  }
  // The codeword's facts, kept from its last position on (a next codeword
  // may load the stage at that edge).
  const Sig f_length = Staged(nl, "f_length", last, length);
  const Sig f_erased = Staged(nl, "f_erased", last, erased);
  const Sig f_overflow = Staged(nl, "f_overflow", last, overflow);
  const Sig f_bypass = Staged(nl, "f_bypass", last, bypass);
  result.bank = Staged(nl, "f_bank", c2.last, c2.bank);

  // Decision: too many erasures, a locator whose roots are not all among
  // the positions, or more errors than the check symbols allow.
  const Sig decide = nl.Reg("chien_decide", 1);
  nl.Next(decide, c2.last);
  const int lw = f_length.width;
  const Sig twice = Twice(nl, f_length);
  const Sig fail = nl.Or(nl.Or(f_overflow, nl.Ne(nl.Resize(root_count, lw), f_length)),
                         nl.Lt(nl.Add(nl.Const(static_cast<std::uint64_t>(r), lw), f_erased), twice));
  result.fail = nl.And(fail, nl.Not(f_bypass));
  result.clean = nl.Or(fail, f_bypass);
  result.count = nl.Resize(change_count, BitsFor(r));
  result.go = decide;
  return result;
}

}  // namespace codexel::hdl::decoder
