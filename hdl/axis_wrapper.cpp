#include "hdl/axis_wrapper.h"

#include <stdexcept>
#include <utility>

#include "hdl/decoder_plan.h"
#include "hdl/rs_core.h"

namespace codexel::hdl {

namespace {

constexpr int kTdataBits = 8;  // a whole byte; the symbol in its low m bits

struct PortRow {
  const char* name;
  bool output;
  int width;  // 0: one bit; else [width - 1:0]
  bool decoder_only;
};

constexpr PortRow kPorts[] = {
    {"aclk", false, 0, false},
    {"aresetn", false, 0, false},
    {"s_axis_input_tdata", false, kTdataBits, false},
    {"s_axis_input_tuser", false, 2, true},
    {"s_axis_input_tlast", false, 0, false},
    {"s_axis_input_tvalid", false, 0, false},
    {"s_axis_input_tready", true, 0, false},
    {"m_axis_output_tdata", true, kTdataBits, false},
    {"m_axis_output_tlast", true, 0, false},
    {"m_axis_output_tvalid", true, 0, false},
    {"m_axis_output_tready", false, 0, false},
    {"m_axis_stat_tdata", true, kTdataBits, true},
    {"m_axis_stat_tvalid", true, 0, true},
    {"m_axis_stat_tready", false, 0, true},
    {"event_s_input_tlast_missing", true, 0, false},
    {"event_s_input_tlast_unexpected", true, 0, false},
};

// The wrapper's netlist with its ports declared: inputs by name, outputs to
// be given their values.
class WrapperNetlist {
 public:
  WrapperNetlist(const RsParameters& p, const std::string& core_name)
      : nl_(AxisWrapperName(core_name), Field{p.m, p.irrpol}) {
    for (const Port& port : AxisWrapperPorts(p)) {
      if (port.output) {
        nl_.DeclareOutput(port.name, port.width, port.low);
      } else {
        inputs_.emplace_back(port.name, nl_.Input(port.name, port.width, port.low));
      }
    }
    nl_.SetClock(In("aclk"));
    nl_.SetReset(nl_.Name(nl_.Not(In("aresetn")), "reset"));
  }
  Netlist& nl() { return nl_; }
  Sig In(const std::string& name) const {
    for (const auto& [port, sig] : inputs_) {
      if (port == name) return sig;
    }
    throw std::logic_error("wrapper: no input " + name);
  }

 private:
  Netlist nl_;
  std::vector<std::pair<std::string, Sig>> inputs_;
};

bool HasPort(const Netlist& module, const std::string& name) {
  for (const Port& port : module.ports()) {
    if (port.name == name) return true;
  }
  return false;
}

// Words a stream passes through: the head, which the reader sees, and, with
// `two`, a second register that catches a word arriving while the head is
// held. A word is pushed only while there is room: `full` low, or with one
// register, the head empty or read at the same edge.
struct Words {
  bool two = false;
  Sig head, second, valid, full;  // now
  Sig valid_next, full_next;      // after this edge
};

Words DeclareWords(Netlist& nl, const std::string& name, int width, bool two) {
  Words w;
  w.two = two;
  w.head = nl.DataReg(name, width);
  w.valid = nl.Reg(name + "_valid", 1);
  if (two) {
    w.second = nl.DataReg(name + "_second", width);
    w.full = nl.Reg(name + "_full", 1);
  } else {
    w.full = nl.Zero(1);
  }
  return w;
}

// `pop`: the reader takes the head at this edge.
void ConnectWords(Netlist& nl, Words& w, Sig word, Sig push, Sig pop) {
  const Sig held = nl.And(w.valid, nl.Not(pop));  // the head keeps its word
  if (!w.two) {
    nl.Next(w.head, word, push);
    w.valid_next = nl.Or(held, push);
    w.full_next = w.full;
  } else {
    // Written only while it is empty or read: never while it is held.
    nl.Next(w.head, nl.Mux(w.full, w.second, word), nl.Not(held));
    nl.Next(w.second, word, push);
    w.valid_next = nl.Or(held, nl.Or(w.full, push));
    w.full_next = nl.And(held, nl.Or(w.full, push));
    nl.Next(w.full, w.full_next);
  }
  nl.Next(w.valid, w.valid_next);
}

// Zero-extends a symbol to tdata's byte.
Sig Tdata(Netlist& nl, Sig symbol) { return nl.Resize(symbol, kTdataBits); }

// The events of a codeword's input: tlast low on its last symbol, or high on
// another, one clock after the symbol went into the core.
void BuildEvents(Netlist& nl, Sig taken, Sig at_last, Sig tlast) {
  const Sig missing = nl.Reg("tlast_missing", 1);
  nl.Next(missing, nl.And(taken, nl.And(at_last, nl.Not(tlast))));
  const Sig unexpected = nl.Reg("tlast_unexpected", 1);
  nl.Next(unexpected, nl.And(taken, nl.And(nl.Not(at_last), tlast)));
  nl.Output("event_s_input_tlast_missing", missing);
  nl.Output("event_s_input_tlast_unexpected", unexpected);
}

// The position after this edge: `now` + 1 where `advance`, after `last` 0.
Sig Advance(Netlist& nl, Sig now, int last, Sig advance) {
  const Sig wrapped =
      nl.Mux(nl.EqConst(now, static_cast<std::uint64_t>(last)), nl.Zero(now.width), nl.AddConst(now, 1));
  return nl.Mux(advance, wrapped, now);
}

Netlist BuildDecoderWrapper(const RsParameters& p, std::shared_ptr<const Netlist> core) {
  const DecoderPlan plan = PlanDecoder(p);
  const int m = p.m, n = p.n;
  // Only a core whose interval is n is ready for every codeword's first
  // symbol; the others say so on rdyin, known only at that edge, so their
  // next symbol waits in two registers.
  const bool always_ready = plan.interval <= n;
  const int w = BitsFor(p.r);
  if (w >= kTdataBits) throw std::logic_error("wrapper: numerr does not fit beside decfail");
  WrapperNetlist wrapper(p, core->module_name());
  Netlist& nl = wrapper.nl();

  const Sig core_reset = nl.Reg("core_reset", 1, 1);  // 1 while the wrapper is reset, a clock later
  nl.Next(core_reset, nl.Zero(1));
  const Sig step = nl.Reg("step", 1);  // dsout: the core takes this edge
  const int core_i = nl.Instantiate("core", core);
  const Sig rdyin = nl.InstanceOutput(core_i, "rdyin");
  const Sig outvalid = nl.InstanceOutput(core_i, "outvalid");

  // Input: each symbol with its flags and tlast waits for the core, which
  // takes a codeword's n symbols at n edges it takes, the first with dsin.
  const Sig tready = nl.Reg("input_ready", 1);
  const Sig push_in = nl.And(wrapper.In("s_axis_input_tvalid"), tready);
  const Sig word_in = nl.Concat({wrapper.In("s_axis_input_tlast"), wrapper.In("s_axis_input_tuser"),
                                 nl.Slice(wrapper.In("s_axis_input_tdata"), 0, m)});
  Words in = DeclareWords(nl, "in_word", m + 3, !always_ready);
  const Sig in_pos = nl.Reg("in_pos", BitsFor(n - 1));
  const Sig in_first = nl.EqConst(in_pos, 0);
  const Sig in_last = nl.EqConst(in_pos, static_cast<std::uint64_t>(n - 1));
  // dsin with a codeword's first symbol, from a register set the clock
  // before (its value is in_first and the head's valid), so that no wrapper
  // logic lies on the core's start path; a core that may not be ready also
  // needs rdyin.
  const Sig first_valid = nl.Reg("first_valid", 1);
  const Sig start = always_ready ? first_valid : nl.And(first_valid, rdyin);
  const Sig taken =
      nl.Name(nl.And(step, always_ready ? in.valid : nl.And(in.valid, nl.Or(nl.Not(in_first), rdyin))), "taken");
  nl.Next(in_pos, Advance(nl, in_pos, n - 1, taken));
  ConnectWords(nl, in, word_in, push_in, taken);
  const Sig first_next = nl.Mux(taken, in_last, in_first);
  nl.Next(first_valid, nl.And(first_next, in.valid_next));

  // Output: what the core shows before an edge it takes is captured there.
  const Sig push_out = nl.And(step, outvalid);
  const Sig out_pos = nl.Reg("out_pos", BitsFor(n - 1));
  const Sig out_first = nl.EqConst(out_pos, 0);
  const Sig out_last = nl.EqConst(out_pos, static_cast<std::uint64_t>(n - 1));
  nl.Next(out_pos, Advance(nl, out_pos, n - 1, push_out));
  const Sig out_first_next = nl.Mux(push_out, out_last, out_first);
  Words out = DeclareWords(nl, "out_word", m + 1, true);
  ConnectWords(nl, out, nl.Concat({out_last, nl.InstanceOutput(core_i, "rsout")}), push_out,
               nl.And(out.valid, wrapper.In("m_axis_output_tready")));

  // Status: numerr and decfail of a codeword, captured with its first symbol.
  const Sig stat_valid = nl.Reg("stat_valid", 1);
  const Sig stat_word = nl.DataReg("stat_word", w + 1);
  const Sig push_stat = nl.And(push_out, out_first);
  nl.Next(stat_word,
          nl.Concat({nl.InstanceOutput(core_i, "decfail"), nl.InstanceOutput(core_i, "numerr")}), push_stat);
  const Sig stat_valid_next =
      nl.Or(nl.And(stat_valid, nl.Not(wrapper.In("m_axis_stat_tready"))), push_stat);
  nl.Next(stat_valid, stat_valid_next);

  // The core takes the next edge when whatever it may put out there has
  // room (a first symbol also its status) and, once a codeword has begun,
  // its next symbol is there.
  const Sig room_next = nl.And(nl.Not(out.full_next), nl.Or(nl.Not(out_first_next), nl.Not(stat_valid_next)));
  const Sig step_next = nl.And(room_next, nl.Or(in.valid_next, first_next));
  nl.Next(step, step_next);
  // One register: free after this edge, or taken at the next one; two: not
  // both full.
  nl.Next(tready, always_ready ? nl.Or(nl.Not(in.valid_next), room_next) : nl.Not(in.full_next));

  nl.Connect(core_i, "reset", core_reset);
  nl.Connect(core_i, "dsout", step);
  nl.Connect(core_i, "dsin", start);
  nl.Connect(core_i, "rsin", nl.Slice(in.head, 0, m));
  if (HasPort(*core, "eras_ind")) nl.Connect(core_i, "eras_ind", nl.Bit(in.head, m));
  nl.Connect(core_i, "bypass", nl.Bit(in.head, m + 1));

  nl.Output("s_axis_input_tready", tready);
  nl.Output("m_axis_output_tdata", Tdata(nl, nl.Slice(out.head, 0, m)));
  nl.Output("m_axis_output_tlast", nl.Bit(out.head, m));
  nl.Output("m_axis_output_tvalid", out.valid);
  nl.Output("m_axis_stat_tdata",
            nl.Concat({nl.Bit(stat_word, w), nl.Zero(kTdataBits - 1 - w), nl.Slice(stat_word, 0, w)}));
  nl.Output("m_axis_stat_tvalid", stat_valid);
  BuildEvents(nl, taken, in_last, nl.Bit(in.head, m + 2));
  nl.Check();
  return std::move(nl);
}

Netlist BuildEncoderWrapper(const RsParameters& p, std::shared_ptr<const Netlist> core) {
  const int m = p.m, n = p.n, k = p.n - p.r;
  WrapperNetlist wrapper(p, core->module_name());
  Netlist& nl = wrapper.nl();

  const Sig core_reset = nl.Reg("core_reset", 1, 1);  // 1 while the wrapper is reset, a clock later
  nl.Next(core_reset, nl.Zero(1));
  // The core's edges: a start, then n with enable high, the first k taking a
  // message symbol. `count` is 0 before the start, then 1 to n; which part
  // comes next is kept in flags of its own, so that no comparison lies on
  // the next edge's decision.
  const Sig start = nl.Reg("start", 1);
  const Sig enable = nl.Reg("enable", 1);
  const Sig step = nl.Or(start, enable);
  const int cw = BitsFor(n);
  const Sig count = nl.Reg("count", cw);
  const Sig before_start = nl.Reg("before_start", 1, 1);  // count 0
  const Sig message = nl.Reg("message", 1);               // count 1 to k
  const Sig at_k = nl.EqConst(count, static_cast<std::uint64_t>(k));
  const Sig at_end = nl.EqConst(count, static_cast<std::uint64_t>(n));
  nl.Next(count, nl.Mux(at_end, nl.Zero(cw), nl.AddConst(count, 1)), step);
  const Sig start_next = nl.Mux(step, at_end, before_start);
  const Sig message_next = nl.Mux(step, nl.Or(before_start, nl.And(message, nl.Not(at_k))), message);
  nl.Next(before_start, start_next);
  nl.Next(message, message_next);
  const int core_i = nl.Instantiate("core", core);

  // Input: each message symbol with its tlast waits for the core.
  const Sig tready = nl.Reg("input_ready", 1);
  const Sig push_in = nl.And(wrapper.In("s_axis_input_tvalid"), tready);
  Words in = DeclareWords(nl, "in_word", m + 1, false);
  const Sig taken = nl.Name(nl.And(enable, message), "taken");
  ConnectWords(nl, in, nl.Concat({wrapper.In("s_axis_input_tlast"), nl.Slice(wrapper.In("s_axis_input_tdata"), 0, m)}),
               push_in, taken);

  // Output: rsout holds a codeword symbol after each enabled edge, captured
  // at the core's next edge (a start clears it).
  const Sig holding = nl.Reg("holding", 1);
  const Sig holding_last = nl.Reg("holding_last", 1);
  nl.Next(holding, enable, step);
  nl.Next(holding_last, at_end, step);
  const Sig push_out = nl.And(step, holding);
  Words out = DeclareWords(nl, "out_word", m + 1, true);
  ConnectWords(nl, out, nl.Concat({holding_last, nl.InstanceOutput(core_i, "rsout")}), push_out,
               nl.And(out.valid, wrapper.In("m_axis_output_tready")));

  // The next edge: a start whenever the output has room, a message symbol
  // once it is there, a check symbol whenever the output has room.
  const Sig room_next = nl.Not(out.full_next);
  const Sig step_next = nl.And(room_next, nl.Or(nl.Not(message_next), in.valid_next));
  nl.Next(start, nl.And(step_next, start_next));
  nl.Next(enable, nl.And(step_next, nl.Not(start_next)));
  nl.Next(tready, nl.Or(nl.Not(in.valid_next), nl.And(room_next, message_next)));

  nl.Connect(core_i, "reset", core_reset);
  nl.Connect(core_i, "start", start);
  nl.Connect(core_i, "enable", enable);
  nl.Connect(core_i, "rsin", nl.Slice(in.head, 0, m));

  nl.Output("s_axis_input_tready", tready);
  nl.Output("m_axis_output_tdata", Tdata(nl, nl.Slice(out.head, 0, m)));
  nl.Output("m_axis_output_tlast", nl.Bit(out.head, m));
  nl.Output("m_axis_output_tvalid", out.valid);
  BuildEvents(nl, taken, at_k, nl.Bit(in.head, m));
  nl.Check();
  return std::move(nl);
}

}  // namespace

std::string AxisWrapperName(const std::string& core_name) { return core_name + "_axis"; }

Netlist BuildAxisWrapper(const RsParameters& parameters, std::shared_ptr<const Netlist> core) {
  return parameters.Enc_Dec == 1 ? BuildEncoderWrapper(parameters, std::move(core))
                                 : BuildDecoderWrapper(parameters, std::move(core));
}

std::vector<Port> AxisWrapperPorts(const RsParameters& p) {
  std::vector<Port> ports;
  for (const PortRow& row : kPorts) {
    if (row.decoder_only && p.Enc_Dec == 1) continue;
    ports.push_back(Port{row.name, row.output, row.width, 0, -1});
  }
  return ports;
}

}  // namespace codexel::hdl
