#include "hdl/rs_core.h"

#include <cstdlib>
#include <stdexcept>

#include "rs_engine/rs_engine.h"

namespace codexel::hdl {

int BitsFor(int value) {
  int bits = 1;
  while ((1LL << bits) <= value) ++bits;
  return bits;
}

std::vector<Port> RecordedPorts(const WizardInfoModel& model) {
  std::vector<Port> ports;
  for (int i = 0; i < WizardInfoTable::kCapacity; ++i) {
    const WizardInfoRecord* record = model.used_ports.RecordAt(i);
    if (!record) continue;
    ports.push_back(Port{record->name, record->type == "OUTPUT", std::atoi(record->width.c_str()),
                         std::atoi(record->low_bit.c_str()), -1});
  }
  return ports;
}

CoreNetlist::CoreNetlist(const std::string& module_name, const RsParameters& parameters,
                         const std::vector<Port>& ports)
    : nl_(module_name, Field{parameters.m, parameters.irrpol}) {
  for (const Port& port : ports) {
    ports_[port.name] = true;
    if (port.output) {
      nl_.DeclareOutput(port.name, port.width, port.low);
    } else {
      inputs_[port.name] = nl_.Input(port.name, port.width, port.low);
    }
  }
  nl_.SetClock(In("sysclk"));
  nl_.SetReset(In("reset"));
}

Sig CoreNetlist::In(const std::string& name) const {
  const auto it = inputs_.find(name);
  if (it == inputs_.end()) throw std::logic_error("core: the variation has no input " + name);
  return it->second;
}

bool CoreNetlist::Has(const std::string& name) const { return ports_.count(name) != 0; }

Netlist BuildEncoder(const std::string& module_name, const RsParameters& p,
                     const std::vector<Port>& ports) {
  CoreNetlist core(module_name, p, ports);
  Netlist& nl = core.nl();
  RsEngine engine(p);
  engine.build_alog();
  engine.build_gg();
  const int m = p.m;
  const int n = p.n;
  const int r = p.r;
  const int k = n - r;

  // `start` prepares a codeword whatever `enable` says: count, parity and
  // output clear; the next n edges with `enable` high carry it.
  const Sig start = core.In("start");
  nl.SetClockEnable(nl.Or(core.In("enable"), start));
  const Sig rsin = core.In("rsin");

  const int cw = BitsFor(n);
  const Sig count = nl.Reg("count", cw);
  const Sig active = nl.Reg("active", 1);
  const Sig message = nl.And(active, nl.Lt(count, nl.Const(static_cast<std::uint64_t>(k), cw)));
  const Sig last = nl.EqConst(count, static_cast<std::uint64_t>(n - 1));

  std::vector<Sig> parity(static_cast<std::size_t>(r));
  for (int j = 0; j < r; ++j) parity[static_cast<std::size_t>(j)] = nl.Reg("parity" + std::to_string(j), m);
  const Sig top = parity[static_cast<std::size_t>(r - 1)];
  // Feedback of the division by g(x); zero once the message is in, so the
  // same registers then shift the check symbols out.
  const Sig feedback = nl.Mux(message, nl.Xor(rsin, top), nl.Zero(m));
  const Sig zero = nl.Zero(m);
  for (int j = r - 1; j >= 0; --j) {
    const Sig product = nl.GfMulConst(feedback, engine.gg[static_cast<std::size_t>(r - j)]);
    const Sig shifted = j == 0 ? product : nl.Xor(parity[static_cast<std::size_t>(j - 1)], product);
    nl.Next(parity[static_cast<std::size_t>(j)], nl.Mux(start, zero, nl.Mux(active, shifted, parity[static_cast<std::size_t>(j)])));
  }
  const Sig out = nl.Reg("rsout", m);
  nl.Next(out, nl.Mux(nl.Or(start, nl.Not(active)), zero, nl.Mux(message, rsin, top)));
  nl.Next(count, nl.Mux(start, nl.Zero(cw), nl.Mux(active, nl.AddConst(count, 1), count)));
  nl.Next(active, nl.Mux(start, nl.One(), nl.And(active, nl.Not(last))));
  nl.Output("rsout", out);
  nl.Check();
  return std::move(nl);
}

Netlist BuildRsCore(const std::string& module_name, const RsParameters& p,
                    const std::vector<Port>& ports) {
  return p.Enc_Dec == 1 ? BuildEncoder(module_name, p, ports) : BuildDecoder(module_name, p, ports);
}

}  // namespace codexel::hdl
