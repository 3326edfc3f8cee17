#include "hdl/simulator.h"

#include <stdexcept>

namespace codexel::hdl {

namespace {
std::uint64_t Mask(int width) {
  return width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
}
}  // namespace

Simulator::Simulator(const Netlist& netlist) : netlist_(netlist) {
  netlist.Check();
  const auto& nodes = netlist.nodes();
  values_.assign(nodes.size(), 0);
  state_.assign(nodes.size(), 0);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].op == Op::kReg) state_[i] = nodes[i].value & Mask(nodes[i].width);
  }
  for (const Memory& mem : netlist.memories()) {
    memories_.emplace_back(static_cast<std::size_t>(mem.depth), 0);
    for (std::size_t k = 0; k < mem.init.size(); ++k) memories_.back()[k] = mem.init[k] & Mask(mem.width);
  }
  inputs_.assign(netlist.ports().size(), 0);
  for (const Instance& placed : netlist.instances()) instances_.push_back(std::make_unique<Simulator>(*placed.module));
}

Simulator::~Simulator() = default;

int Simulator::PortNode(const std::string& name, bool output) const {
  const auto& ports = netlist_.ports();
  for (std::size_t p = 0; p < ports.size(); ++p) {
    if (ports[p].name == name && ports[p].output == output) return static_cast<int>(p);
  }
  throw std::logic_error("simulator: no " + std::string(output ? "output " : "input ") + name);
}

void Simulator::Set(const std::string& input, std::uint64_t value) {
  const int p = PortNode(input, false);
  inputs_[static_cast<std::size_t>(p)] = value & Mask(netlist_.ports()[static_cast<std::size_t>(p)].bits());
  evaluated_ = false;
}

std::uint64_t Simulator::Get(const std::string& port) {
  if (!evaluated_) Evaluate();
  return Value(netlist_.ports()[static_cast<std::size_t>(PortNode(port, true))].node);
}

std::uint64_t Simulator::Peek(const std::string& register_name) const {
  const auto& nodes = netlist_.nodes();
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].op == Op::kReg && nodes[i].name == register_name) return state_[i];
  }
  throw std::logic_error("simulator: no register " + register_name);
}

void Simulator::Evaluate() {
  const auto& nodes = netlist_.nodes();
  const Field& field = netlist_.field();
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const Node& node = nodes[i];
    auto arg = [&](int k) { return values_[static_cast<std::size_t>(node.args[static_cast<std::size_t>(k)])]; };
    std::uint64_t v = 0;
    switch (node.op) {
      case Op::kInput: v = inputs_[static_cast<std::size_t>(node.index)]; break;
      case Op::kConst: v = node.value; break;
      case Op::kReg:
      case Op::kMemRead: v = state_[i]; break;
      case Op::kNot: v = ~arg(0); break;
      case Op::kAnd: v = arg(0) & arg(1); break;
      case Op::kOr: v = arg(0) | arg(1); break;
      case Op::kXor: v = arg(0) ^ arg(1); break;
      case Op::kAdd: v = arg(0) + arg(1); break;
      case Op::kSub: v = arg(0) - arg(1); break;
      case Op::kEq: v = arg(0) == arg(1); break;
      case Op::kLt: v = arg(0) < arg(1); break;
      case Op::kMux: v = arg(0) ? arg(1) : arg(2); break;
      case Op::kSlice: v = arg(0) >> node.value; break;
      case Op::kConcat:
        for (std::size_t k = 0; k < node.args.size(); ++k) {
          const int w = nodes[static_cast<std::size_t>(node.args[k])].width;
          v = (w >= 64 ? 0 : v << w) | arg(static_cast<int>(k));
        }
        break;
      case Op::kReduceOr: v = arg(0) != 0; break;
      case Op::kGfMulConst:
        v = static_cast<std::uint64_t>(field.Multiply(static_cast<int>(arg(0)), static_cast<int>(node.value)));
        break;
      case Op::kGfMul:
        v = static_cast<std::uint64_t>(field.Multiply(static_cast<int>(arg(0)), static_cast<int>(arg(1))));
        break;
      case Op::kRom: {
        const auto& table = netlist_.tables()[static_cast<std::size_t>(node.index)];
        v = arg(0) < table.size() ? table[static_cast<std::size_t>(arg(0))] : 0;
        break;
      }
      case Op::kInstanceOutput: {
        // Its state alone decides it, whatever its inputs are now.
        Simulator& sub = *instances_[static_cast<std::size_t>(node.index)];
        if (!sub.evaluated_) sub.Evaluate();
        v = sub.Value(sub.netlist_.ports()[static_cast<std::size_t>(node.value)].node);
        break;
      }
    }
    values_[i] = v & Mask(node.width);
  }
  evaluated_ = true;
}

void Simulator::Step() {
  if (!evaluated_) Evaluate();
  const auto& nodes = netlist_.nodes();
  // Each instance takes this edge with the inputs its connections show now.
  for (std::size_t k = 0; k < instances_.size(); ++k) {
    Simulator& sub = *instances_[k];
    const std::vector<int>& inputs = netlist_.instances()[k].inputs;
    for (std::size_t p = 0; p < inputs.size(); ++p) {
      if (inputs[p] >= 0) sub.inputs_[p] = Value(inputs[p]);
    }
    sub.evaluated_ = false;
    sub.Step();
  }
  const bool reset = netlist_.reset() >= 0 && Value(netlist_.reset());
  const bool enabled = netlist_.clock_enable() < 0 || Value(netlist_.clock_enable());
  if (enabled) {
    // Read ports take the words as they were before this edge's writes.
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (nodes[i].op != Op::kMemRead) continue;
      const auto& words = memories_[static_cast<std::size_t>(nodes[i].index)];
      const std::uint64_t address = Value(nodes[i].args[0]);
      state_[i] = address < words.size() ? words[static_cast<std::size_t>(address)] : 0;
    }
    for (std::size_t k = 0; k < memories_.size(); ++k) {
      const Memory& mem = netlist_.memories()[k];
      if (mem.write_enable < 0) continue;
      const std::uint64_t address = Value(mem.write_address);
      if (Value(mem.write_enable) && address < memories_[k].size()) {
        memories_[k][static_cast<std::size_t>(address)] = Value(mem.write_data);
      }
    }
  }
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].op != Op::kReg) continue;
    if (reset && nodes[i].reset) {
      state_[i] = nodes[i].value & Mask(nodes[i].width);
    } else if (enabled) {
      const RegNext& rn = netlist_.reg_next(static_cast<int>(i));
      if (rn.enable < 0 || Value(rn.enable)) state_[i] = Value(rn.next);
    }
  }
  evaluated_ = false;
}

}  // namespace codexel::hdl
