// The decoder's input stage: start and readiness, the syndromes by Horner's
// rule, the erasures, and the delay memory every symbol passes through.

#include "hdl/decoder_stages.h"
#include "hdl/rs_core.h"

namespace codexel::hdl::decoder {

std::string Indexed(const std::string& name, int i) { return name + std::to_string(i); }

Sig Select(Netlist& nl, Sig index, const std::vector<Sig>& values, int width) {
  std::vector<Sig> level = values;
  if (level.empty()) return nl.Zero(width);
  for (int bit = 0; level.size() > 1; ++bit) {
    std::vector<Sig> next;
    for (std::size_t i = 0; i < level.size(); i += 2) {
      const Sig high = i + 1 < level.size() ? level[i + 1] : nl.Zero(width);
      next.push_back(nl.Mux(nl.Bit(index, bit), high, level[i]));
    }
    level = std::move(next);
  }
  return level.front();
}

Sig Staged(Netlist& nl, const std::string& name, Sig load, Sig value) {
  const Sig reg = nl.DataReg(name, value.width);
  nl.Next(reg, value, load);
  return reg;
}

Sig Twice(Netlist& nl, Sig value) { return nl.Resize(nl.Concat({value, nl.Zero(1)}), value.width); }

Sig CountOnes(Netlist& nl, const std::vector<Sig>& bits, int width) {
  Sig sum = nl.Zero(width);
  for (const Sig& b : bits) sum = nl.Add(sum, nl.Resize(b, width));
  return sum;
}

InputStage BuildInput(Netlist& nl, const DecoderPlan& plan, const RsParameters& p, Sig rsin, Sig dsin,
                      Sig bypass, Sig erasure_flag) {
  const Field& f = nl.field();
  const int m = p.m, n = p.n, r = p.r, b = p.genstart;
  const Sig zero = nl.Zero(m);
  const Sig one = nl.Const(1, m);
  InputStage in;

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
  // Registered, so that the start, which every syndrome's selection reads,
  // takes one flag rather than the count's every bit.
  in.ready = always_ready ? nl.One() : nl.Reg("ready", 1, 1);
  const Sig start = nl.Name(
      nl.And(nl.And(dsin, nl.Not(dsin_before)), nl.And(in.ready, nl.Not(receiving))), "start");
  const Sig take = nl.Or(start, receiving);
  const Sig position = nl.Mux(start, nl.Zero(cw), received);
  in.last_take = nl.Name(nl.And(take, nl.EqConst(position, static_cast<std::uint64_t>(n - 1))), "last_take");
  nl.Next(receiving, nl.Or(start, nl.And(receiving, nl.Not(in.last_take))));
  nl.Next(received, nl.Mux(take, nl.AddConst(position, 1), received));
  if (!always_ready) {
    nl.Next(wait, nl.Mux(start, nl.Const(static_cast<std::uint64_t>(plan.interval - 1), iw),
                         nl.Mux(in.ready, wait, nl.Sub(wait, nl.Const(1, iw)))));
    nl.Next(in.ready, nl.And(nl.Not(start), nl.Or(in.ready, nl.EqConst(wait, 1))));
  }

  // Syndromes S_j = r(alpha^(b+j)), highest power first.
  for (int j = 0; j < r; ++j) {
    const Sig s = nl.DataReg(Indexed("syndrome", j), m);
    const Sig folded = nl.Xor(nl.Mux(start, zero, nl.GfMulConst(s, f.Power(b + j))), rsin);
    nl.Next(s, folded, take);
    in.syndromes.push_back(folded);
    in.syndrome_regs.push_back(s);
  }
  const Sig bypass_reg = nl.DataReg("bypass_in", 1);
  in.bypass = nl.Mux(start, bypass, bypass_reg);
  nl.Next(bypass_reg, in.bypass, start);
  in.bypass_reg = bypass_reg;

  // Erasures: the flagged count (at most r kept, more is an overflow) and
  // the locator X = alpha^j of each flagged c[j]; the first symbol is c[n-1].
  const int sw = BitsFor(r + 1);
  in.erased = in.erased_reg = nl.Zero(sw);
  in.overflow = in.overflow_reg = nl.Zero(1);
  in.gamma.assign(static_cast<std::size_t>(r + 1), zero);
  in.gamma[0] = one;
  if (plan.erasures) {
    const Sig locator = nl.DataReg("locator", m);
    const Sig x = nl.Mux(start, nl.Const(static_cast<std::uint64_t>(f.Power(n - 1)), m), locator);
    nl.Next(locator, nl.GfMulConst(x, f.Power(-1)), take);
    const Sig erased = nl.DataReg("erased", sw);
    const Sig overflow = nl.DataReg("overflow", 1);
    const Sig erased_base = nl.Mux(start, nl.Zero(sw), erased);
    // r kept already (never at a start, which begins at 0): from the count
    // register, not through the start's selection, a short path.
    const Sig full = nl.And(nl.Not(start), nl.EqConst(erased, static_cast<std::uint64_t>(r)));
    const Sig kept = nl.And(erasure_flag, nl.Not(full));
    in.erased = nl.Mux(kept, nl.AddConst(erased_base, 1), erased_base);
    in.overflow = nl.Or(nl.And(nl.Not(start), overflow), nl.And(erasure_flag, full));
    nl.Next(erased, in.erased, take);
    nl.Next(overflow, in.overflow, take);
    in.erased_reg = erased;
    in.overflow_reg = overflow;
    if (plan.folded) {
      // Two banks of a power of two at least r words each.
      const int aw = BitsFor(r - 1);
      in.erasure_memory = nl.Memory("erasures", m, 2 << aw);
      const Sig bank = nl.Reg("erasure_bank", 1);
      in.erasure_bank = nl.Mux(start, nl.Not(bank), bank);
      nl.Next(bank, in.erasure_bank);
      in.erasure_bank_reg = bank;
      // Written a clock later, from registers: the flag's count and the
      // start decide the address, too much for the clock in one.
      const Sig write = nl.Reg("erasure_write", 1);
      nl.Next(write, nl.And(take, kept));
      const Sig address =
          Staged(nl, "erasure_address", Sig{}, nl.Concat({in.erasure_bank, nl.Resize(erased_base, aw)}));
      const Sig locator_taken = Staged(nl, "erasure_locator", Sig{}, x);
      nl.MemWrite(in.erasure_memory, address, locator_taken, write);
    } else {
      // prod (1 + X x) over the flagged positions, a term a symbol.
      Poly gamma{one};
      for (int i = 1; i <= r; ++i) gamma.push_back(nl.DataReg(Indexed("gamma", i), m));
      Poly base{one};
      for (int i = 1; i <= r; ++i) base.push_back(nl.Mux(start, zero, gamma[static_cast<std::size_t>(i)]));
      for (int i = 1; i <= r; ++i) {
        const std::size_t u = static_cast<std::size_t>(i);
        const Sig widened = nl.Xor(base[u], nl.GfMul(x, base[u - 1]));
        in.gamma[u] = nl.Mux(erasure_flag, widened, base[u]);
        nl.Next(gamma[u], in.gamma[u], take);
      }
    }
  }

  // Delay memory: every symbol in, read back `delay` edges later.
  const int aw = BitsFor(plan.delay_words - 1);
  const int memory = nl.Memory("delay", m, plan.delay_words);
  const Sig write_address = nl.Reg("write_address", aw);
  nl.Next(write_address, nl.AddConst(write_address, 1));
  nl.MemWrite(memory, write_address, rsin, nl.One());
  in.delayed = nl.MemRead(memory, nl.Sub(write_address, nl.Const(static_cast<std::uint64_t>(plan.delay - 1), aw)));
  return in;
}

}  // namespace codexel::hdl::decoder
