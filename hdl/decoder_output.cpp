// The decoder's output: the delayed symbols leave one a clock, each with its
// change applied as it leaves, unless the codeword failed or was bypassed;
// numerr and decfail stay steady through its n symbols.
//
// From stacks: each lane's stack holds the codeword's changes with their
// pass words, the lowest word on top. The entry the output waits for sits
// in registers, the one after it in the memory's read register, and whether
// the symbol leaving is the entry's is decided a clock ahead: no path runs
// from the memory back to its address. The top entry is read the clock
// after the go (the prime), so the first symbol leaves a clock later.
// From a change memory: the word of the next symbol is read a clock ahead.

#include "hdl/decoder_stages.h"
#include "hdl/rs_core.h"

namespace codexel::hdl::decoder {

namespace {

// The symbols' positions: busy through the n symbols from the edge after
// `start`, and the pass word and lane (q / p and q mod p) of the symbol
// leaving and of the next.
struct Positions {
  Sig busy, busy_next;
  Sig word, word_next;  // word_next: of the symbol leaving at the next clock
  Sig lane, lane_next;  // with more than one lane a clock
};

Positions Count(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, Sig start) {
  const int n = p.n, par = plan.chien_parallel;
  const int cw = BitsFor(n);
  Positions at;
  at.busy = nl.Reg("out_busy", 1);
  const Sig count = nl.Reg("out_count", cw);
  const Sig last = nl.And(at.busy, nl.EqConst(count, static_cast<std::uint64_t>(n - 1)));
  at.busy_next = nl.Or(start, nl.And(at.busy, nl.Not(last)));
  nl.Next(at.busy, at.busy_next);
  const Sig count_next = nl.Mux(start, nl.Zero(cw), nl.Mux(at.busy, nl.AddConst(count, 1), count));
  nl.Next(count, count_next);
  const int ww = BitsFor(plan.chien_clocks - 1);
  at.word = nl.Resize(count, ww);
  at.word_next = nl.Resize(count_next, ww);
  if (par > 1) {
    at.word = nl.DataReg("out_word", ww);
    at.lane = nl.DataReg("out_lane", BitsFor(par - 1));
    const Sig lane_last = nl.EqConst(at.lane, static_cast<std::uint64_t>(par - 1));
    at.word_next = nl.Mux(start, nl.Zero(ww), nl.Mux(nl.And(at.busy, lane_last), nl.AddConst(at.word, 1), at.word));
    at.lane_next = nl.Mux(nl.Or(start, lane_last), nl.Zero(at.lane.width),
                          nl.Mux(at.busy, nl.AddConst(at.lane, 1), at.lane));
    nl.Next(at.word, at.word_next);
    nl.Next(at.lane, at.lane_next);
  }
  return at;
}

// The change of the symbol leaving, from the stacks.
Sig StackedChange(Netlist& nl, const DecoderPlan& plan, int m, const ChienResult& c, Sig prime,
                  const Positions& at) {
  // A codeword's stacks are taken at the prime, so that the one before may
  // still put its last symbol out (a codeword may go every n clocks); their
  // counts, which the next pass may overwrite by then, wait from the go.
  const Sig go = c.go;
  const Sig bank = Staged(nl, "out_bank", prime, c.bank);
  const int ew = BitsFor(plan.change_entries - 1);
  const int ww = at.word.width;
  std::vector<Sig> applied;
  for (int d = 0; d < plan.chien_parallel; ++d) {
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
    Sig hit_next = nl.And(nl.And(at.busy_next, nl.Not(nl.IsZero(left_next))), nl.Eq(head_word_next, at.word_next));
    if (plan.chien_parallel > 1) hit_next = nl.And(hit_next, nl.EqConst(at.lane_next, static_cast<std::uint64_t>(d)));
    nl.Next(hit, hit_next);
    applied.push_back(nl.Mux(hit, head_value, nl.Zero(m)));
  }
  return nl.XorAll(applied, m);
}

// The change of the symbol leaving, from the change memory.
Sig StoredChange(Netlist& nl, const DecoderPlan& plan, int m, const ChienResult& c, const Positions& at) {
  const int par = plan.chien_parallel;
  const int ww = BitsFor(plan.chien_words - 1);
  const Sig bank = Staged(nl, "out_bank", c.go, c.bank);
  const Sig address = nl.Mux(c.go, nl.Concat({c.bank, nl.Zero(ww)}), nl.Concat({bank, nl.Resize(at.word_next, ww)}));
  const Sig stored = nl.MemRead(c.change_memory, address);
  if (par == 1) return stored;
  std::vector<Sig> lanes;
  for (int d = 0; d < par; ++d) lanes.push_back(nl.Slice(stored, d * m, m));
  return Select(nl, at.lane, lanes, m);
}

}  // namespace

OutputPorts BuildOutput(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, const ChienResult& c,
                        Sig delayed) {
  const int m = p.m, r = p.r;
  // The clock before the first symbol leaves: the go, or with stacks the
  // prime after it; a codeword's figures wait for it from the go, as the
  // next pass may start counting then.
  Sig start = c.go, fail = c.fail, clean = c.clean, numerr_value = c.count;
  if (plan.change_stack) {
    start = nl.Reg("out_prime", 1);
    nl.Next(start, c.go);
    fail = Staged(nl, "pending_fail", c.go, fail);
    clean = Staged(nl, "pending_clean", c.go, clean);
    numerr_value = Staged(nl, "pending_count", c.go, numerr_value);
  }
  const Positions at = Count(nl, plan, p, start);
  const Sig change = plan.change_stack ? StackedChange(nl, plan, m, c, start, at) : StoredChange(nl, plan, m, c, at);
  fail = Staged(nl, "o_fail", start, fail);
  clean = Staged(nl, "o_clean", start, clean);
  numerr_value = Staged(nl, "o_count", start, numerr_value);
  const Sig zero = nl.Zero(m);
  OutputPorts out;
  out.rsout = nl.Reg("rsout", m);
  nl.Next(out.rsout, nl.Mux(at.busy, nl.Xor(delayed, nl.Mux(clean, zero, change)), zero));
  out.outvalid = nl.Reg("outvalid", 1);
  nl.Next(out.outvalid, at.busy);
  out.numerr = nl.Reg("numerr", BitsFor(r));
  nl.Next(out.numerr, nl.Mux(nl.And(at.busy, nl.Not(clean)), numerr_value, nl.Zero(BitsFor(r))));
  out.decfail = nl.Reg("decfail", 1);
  nl.Next(out.decfail, nl.And(at.busy, fail));
  return out;
}

}  // namespace codexel::hdl::decoder
