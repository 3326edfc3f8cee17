// The decoder's output: the delayed symbols leave one a clock, each with its
// change applied as it leaves, unless the codeword failed or was bypassed;
// numerr and decfail stay steady through its n symbols. Each lane's stack
// holds the codeword's changes with their pass words, the lowest word on
// top. The entry the output waits for sits in registers, the one after it
// in the memory's read register, and whether the symbol leaving is the
// entry's is decided a clock ahead: no path runs from the memory back to
// its address. The top entry is read the clock after the go, so the first
// symbol leaves a clock later.

#include "hdl/decoder_stages.h"
#include "hdl/rs_core.h"

namespace codexel::hdl::decoder {

OutputPorts BuildOutput(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const ChienResult& c,
                        Sig delayed) {
  const int m = p.m, n = p.n, r = p.r;
  const int par = plan.chien_parallel;
  const Sig go = c.go;
  const Sig prime = nl.Reg("out_prime", 1);  // the top entries are read
  nl.Next(prime, go);
  const int cw = BitsFor(n);
  const Sig busy = nl.Reg("out_busy", 1);
  const Sig count = nl.Reg("out_count", cw);
  const Sig last = nl.And(busy, nl.EqConst(count, static_cast<std::uint64_t>(n - 1)));
  const Sig busy_next = nl.Or(prime, nl.And(busy, nl.Not(last)));
  nl.Next(busy, busy_next);
  const Sig count_next = nl.Mux(prime, nl.Zero(cw), nl.Mux(busy, nl.AddConst(count, 1), count));
  nl.Next(count, count_next);

  // The pass word and lane of the symbol leaving, q / p and q mod p, and of
  // the next one.
  const int ww = BitsFor(plan.chien_clocks - 1);
  Sig word_next = nl.Resize(count_next, ww), lane_next;
  if (par > 1) {
    const Sig word = nl.DataReg("out_word", ww);
    const Sig lane = nl.DataReg("out_lane", BitsFor(par - 1));
    const Sig lane_last = nl.EqConst(lane, static_cast<std::uint64_t>(par - 1));
    word_next = nl.Mux(prime, nl.Zero(ww), nl.Mux(nl.And(busy, lane_last), nl.AddConst(word, 1), word));
    lane_next = nl.Mux(nl.Or(prime, lane_last), nl.Zero(lane.width), nl.Mux(busy, nl.AddConst(lane, 1), lane));
    nl.Next(word, word_next);
    nl.Next(lane, lane_next);
  }
  // A codeword's figures and changes are taken at the prime, so that the
  // one before may still put its last symbol out (a codeword may go every n
  // clocks); its counts, which the next pass may start again by then, wait
  // from the go.
  const Sig bank = Staged(nl, "out_bank", prime, c.bank);
  const int ew = BitsFor(plan.change_entries - 1);
  std::vector<Sig> applied;
  for (int d = 0; d < par; ++d) {
    const ChangeStack& stack = c.stacks[static_cast<std::size_t>(d)];
    const Sig entry = nl.MemReadPort(stack.memory);
    const Sig head_word = nl.DataReg(Indexed("out_head_word", d), ww);
    const Sig head_value = nl.DataReg(Indexed("out_head_value", d), m);
    const Sig after = nl.DataReg(Indexed("out_after", d), ew);  // the entry after the head
    const Sig left = nl.Reg(Indexed("out_left", d), ew + 1);   // entries to apply, the head's included
    const Sig hit = nl.Reg(Indexed("out_hit", d), 1);          // the head's symbol is leaving
    const Sig take = nl.Or(prime, hit);
    const Sig head_word_next = nl.Mux(take, nl.Slice(entry, m, ww), head_word);
    nl.Next(head_word, head_word_next);
    nl.Next(head_value, nl.Slice(entry, 0, m), take);
    const Sig pushed = Staged(nl, Indexed("out_pushed", d), go, stack.pushed);
    const Sig after_next = nl.Mux(prime, nl.Resize(nl.Sub(pushed, nl.Const(2, ew + 1)), ew),
                                  nl.Mux(hit, nl.Sub(after, nl.Const(1, ew)), after));
    nl.Next(after, after_next);
    const Sig top = nl.Resize(nl.Sub(stack.pushed, nl.Const(1, ew + 1)), ew);
    nl.ReadAddress(entry, nl.Mux(go, nl.Concat({c.bank, top}),
                                 nl.Concat({nl.Mux(prime, c.bank, bank), after_next})));
    const Sig left_next = nl.Mux(prime, pushed, nl.Mux(hit, nl.Sub(left, nl.Const(1, ew + 1)), left));
    nl.Next(left, left_next);
    Sig hit_next = nl.And(nl.And(busy_next, nl.Not(nl.IsZero(left_next))), nl.Eq(head_word_next, word_next));
    if (par > 1) hit_next = nl.And(hit_next, nl.EqConst(lane_next, static_cast<std::uint64_t>(d)));
    nl.Next(hit, hit_next);
    applied.push_back(nl.Mux(hit, head_value, nl.Zero(m)));
  }
  const Sig change = nl.XorAll(applied, m);

  // The counts behind them: the next pass may start counting at the go.
  const Sig fail = Staged(nl, "o_fail", prime, Staged(nl, "pending_fail", go, c.fail));
  const Sig clean = Staged(nl, "o_clean", prime, Staged(nl, "pending_clean", go, c.clean));
  const Sig numerr_value = Staged(nl, "o_count", prime, Staged(nl, "pending_count", go, c.count));
  const Sig zero = nl.Zero(m);
  OutputPorts out;
  out.rsout = nl.Reg("rsout", m);
  nl.Next(out.rsout, nl.Mux(busy, nl.Xor(delayed, nl.Mux(clean, zero, change)), zero));
  out.outvalid = nl.Reg("outvalid", 1);
  nl.Next(out.outvalid, busy);
  out.numerr = nl.Reg("numerr", BitsFor(r));
  nl.Next(out.numerr, nl.Mux(nl.And(busy, nl.Not(clean)), numerr_value, nl.Zero(BitsFor(r))));
  out.decfail = nl.Reg("decfail", 1);
  nl.Next(out.decfail, nl.And(busy, fail));
  return out;
}

}  // namespace codexel::hdl::decoder
