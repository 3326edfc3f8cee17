// The decoder's output: the delayed symbols leave one a clock, each with the
// change the Chien pass stored for its position, unless the codeword failed
// or was bypassed; numerr and decfail stay steady through its n symbols.

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

  // The change memory word of this symbol and its lane; the read is
  // registered, so the address is that of the next symbol.
  const int ww = BitsFor(plan.chien_words - 1);
  const Sig word = nl.DataReg("out_word", ww);
  const int lw = BitsFor(par - 1);
  const Sig lane = par > 1 ? nl.DataReg("out_lane", lw) : nl.Zero(lw);
  const Sig lane_last = par > 1 ? nl.EqConst(lane, static_cast<std::uint64_t>(par - 1)) : nl.One();
  const Sig next_word = nl.Mux(lane_last, nl.AddConst(word, 1), word);
  nl.Next(word, nl.Mux(go, nl.Zero(ww), next_word), nl.Or(go, busy));
  if (par > 1) nl.Next(lane, nl.Mux(nl.Or(go, lane_last), nl.Zero(lw), nl.AddConst(lane, 1)), nl.Or(go, busy));
  const Sig bank = Staged(nl, "out_bank", go, c.bank);
  const Sig address = nl.Mux(go, nl.Concat({c.bank, nl.Zero(ww)}), nl.Concat({bank, next_word}));
  const Sig stored = nl.MemRead(c.change_memory, address);
  std::vector<Sig> lanes;
  for (int d = 0; d < par; ++d) lanes.push_back(nl.Slice(stored, d * m, m));
  const Sig change = par > 1 ? Select(nl, lane, lanes, m) : stored;

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
