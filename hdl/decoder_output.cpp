// The decoder's output: the delayed symbols leave one a clock, each with its
// change applied as it leaves, unless the codeword failed or was bypassed;
// numerr and decfail stay steady through its n symbols. Each lane's stack
// holds the codeword's nonzero changes with their pass words, the lowest
// word on top: its top entry waits in the memory's read register until the
// symbol of its word and lane leaves, and the entry below is read then.

#include "hdl/decoder_stages.h"
#include "hdl/rs_core.h"

namespace codexel::hdl::decoder {

OutputPorts BuildOutput(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const ChienResult& c,
                        Sig delayed) {
  const int m = p.m, n = p.n, r = p.r;
  const int par = plan.chien_parallel;
  const Sig go = c.go;
  const int cw = BitsFor(n);
  const Sig busy = nl.Reg("out_busy", 1);
  const Sig count = nl.Reg("out_count", cw);
  const Sig last = nl.And(busy, nl.EqConst(count, static_cast<std::uint64_t>(n - 1)));
  nl.Next(busy, nl.Or(go, nl.And(busy, nl.Not(last))));
  nl.Next(count, nl.Mux(go, nl.Zero(cw), nl.Mux(busy, nl.AddConst(count, 1), count)));

  // The pass word and lane of the symbol leaving: q / p and q mod p.
  const int ww = BitsFor(plan.chien_clocks - 1);
  Sig word = nl.Resize(count, ww), lane;
  if (par > 1) {
    word = nl.DataReg("out_word", ww);
    lane = nl.DataReg("out_lane", BitsFor(par - 1));
    const Sig lane_last = nl.EqConst(lane, static_cast<std::uint64_t>(par - 1));
    nl.Next(word, nl.Mux(go, nl.Zero(ww), nl.Mux(lane_last, nl.AddConst(word, 1), word)), nl.Or(go, busy));
    nl.Next(lane, nl.Mux(nl.Or(go, lane_last), nl.Zero(lane.width), nl.AddConst(lane, 1)), nl.Or(go, busy));
  }
  const Sig bank = Staged(nl, "out_bank", go, c.bank);
  const int ew = BitsFor(plan.change_entries - 1);
  std::vector<Sig> applied;
  for (int d = 0; d < par; ++d) {
    const ChangeStack& stack = c.stacks[static_cast<std::size_t>(d)];
    // The top entry's address, waiting in the read register; empty once
    // every entry the pass pushed is applied.
    const Sig top = nl.DataReg(Indexed("out_top", d), ew);
    const Sig empty = nl.Reg(Indexed("out_empty", d), 1, 1);
    const Sig entry = nl.MemReadPort(stack.memory);
    Sig match = nl.And(nl.And(busy, nl.Not(empty)), nl.Eq(nl.Slice(entry, m, ww), word));
    if (par > 1) match = nl.And(match, nl.EqConst(lane, static_cast<std::uint64_t>(d)));
    const Sig top_next = nl.Mux(go, nl.Resize(nl.Sub(stack.pushed, nl.Const(1, ew + 1)), ew),
                                nl.Mux(match, nl.Sub(top, nl.Const(1, ew)), top));
    nl.Next(top, top_next);
    nl.Next(empty, nl.Mux(go, nl.IsZero(stack.pushed), nl.Or(empty, nl.And(match, nl.IsZero(top)))));
    nl.ReadAddress(entry, nl.Concat({nl.Mux(go, c.bank, bank), top_next}));
    applied.push_back(nl.Mux(match, nl.Slice(entry, 0, m), nl.Zero(m)));
  }
  const Sig change = nl.XorAll(applied, m);

  const Sig fail = Staged(nl, "o_fail", go, c.fail);
  const Sig clean = Staged(nl, "o_clean", go, c.clean);
  const Sig numerr_value = Staged(nl, "o_count", go, c.count);
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
