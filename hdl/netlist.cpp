#include "hdl/netlist.h"

#include <sstream>
#include <stdexcept>
#include <utility>

namespace codexel::hdl {

int Field::Multiply(int a, int b) const {
  int p = 0;
  for (int i = 0; i < m; ++i) {
    if ((b >> i) & 1) p ^= a << i;
  }
  for (int bit = 2 * m - 2; bit >= m; --bit) {
    if ((p >> bit) & 1) p ^= irrpol << (bit - m);
  }
  return p;
}

int Field::Power(int exponent) const {
  const int order = size() - 1;
  int e = exponent % order;
  if (e < 0) e += order;
  int p = 1;
  for (int i = 0; i < e; ++i) p = Multiply(p, 2);
  return p;
}

int Field::Inverse(int a) const {
  for (int i = 1; i < size(); ++i) {
    if (Multiply(a, i) == 1) return i;
  }
  return 0;
}

Netlist::Netlist(std::string module_name, Field field)
    : module_name_(std::move(module_name)), field_(field) {}

Sig Netlist::Make(Node node) {
  if (node.width < 1 || node.width > 64) throw std::logic_error("netlist: width out of range");
  nodes_.push_back(std::move(node));
  reg_next_.emplace_back();
  return Sig{static_cast<int>(nodes_.size()) - 1, nodes_.back().width};
}

const Node& Netlist::At(Sig s) const {
  if (s.id < 0 || s.id >= static_cast<int>(nodes_.size())) {
    throw std::logic_error("netlist: value of another netlist or none");
  }
  return nodes_[static_cast<std::size_t>(s.id)];
}

void Netlist::Same(Sig a, Sig b, const char* what) const {
  At(a);
  At(b);
  if (a.width != b.width) {
    throw std::logic_error(std::string("netlist: widths differ in ") + what + ": " +
                           std::to_string(a.width) + " and " + std::to_string(b.width));
  }
}

Sig Netlist::Input(const std::string& name, int width, int low) {
  Node node{Op::kInput, width == 0 ? 1 : width, {}, 0, static_cast<int>(ports_.size()), name, true};
  const Sig s = Make(node);
  ports_.push_back(Port{name, false, width, low, s.id});
  return s;
}

void Netlist::DeclareOutput(const std::string& name, int width, int low) {
  ports_.push_back(Port{name, true, width, low, -1});
}

void Netlist::Output(const std::string& name, Sig value, int width, int low) {
  for (Port& port : ports_) {
    if (port.output && port.name == name && port.node < 0) {
      if (At(value).width != port.bits()) {
        throw std::logic_error("netlist: output " + name + " has the wrong width");
      }
      port.node = value.id;
      return;
    }
  }
  ports_.push_back(Port{name, true, width, low, -1});
  if (At(value).width != ports_.back().bits()) {
    throw std::logic_error("netlist: output " + name + " has the wrong width");
  }
  ports_.back().node = value.id;
}

void Netlist::SetClock(Sig clock) { clock_ = At(clock).op == Op::kInput ? clock.id : -1; }
void Netlist::SetReset(Sig reset) {
  if (At(reset).width != 1) throw std::logic_error("netlist: reset must be one bit");
  reset_ = reset.id;
}
void Netlist::SetClockEnable(Sig enable) {
  if (At(enable).width != 1) throw std::logic_error("netlist: clock enable must be one bit");
  clock_enable_ = enable.id;
}

Sig Netlist::Const(std::uint64_t value, int width) {
  if (width < 64) value &= (std::uint64_t{1} << width) - 1;
  return Make(Node{Op::kConst, width, {}, value, -1, "", true});
}

Sig Netlist::Reg(const std::string& name, int width, std::uint64_t init) {
  return Make(Node{Op::kReg, width, {}, init, -1, name, true});
}

Sig Netlist::DataReg(const std::string& name, int width) {
  return Make(Node{Op::kReg, width, {}, 0, -1, name, false});
}

void Netlist::Next(Sig reg, Sig next, Sig enable) {
  if (At(reg).op != Op::kReg) throw std::logic_error("netlist: Next of a value that is no register");
  Same(reg, next, "a register's next value");
  RegNext& rn = reg_next_[static_cast<std::size_t>(reg.id)];
  if (rn.next >= 0) throw std::logic_error("netlist: register " + At(reg).name + " set twice");
  rn.next = next.id;
  if (enable.valid()) {
    if (At(enable).width != 1) throw std::logic_error("netlist: enable must be one bit");
    rn.enable = enable.id;
  }
}

int Netlist::Memory(const std::string& name, int width, int depth) {
  if (depth < 1) throw std::logic_error("netlist: memory without words");
  memories_.push_back(hdl::Memory{name, width, depth, -1, -1, -1, {}});
  return static_cast<int>(memories_.size()) - 1;
}

void Netlist::MemWrite(int memory, Sig address, Sig data, Sig enable) {
  hdl::Memory& mem = memories_.at(static_cast<std::size_t>(memory));
  if (data.width != mem.width || enable.width != 1 || mem.write_data >= 0) {
    throw std::logic_error("netlist: bad write port of " + mem.name);
  }
  At(address);
  mem.write_address = address.id;
  mem.write_data = data.id;
  mem.write_enable = enable.id;
}

int Netlist::TableMemory(const std::string& name, const std::vector<std::uint64_t>& table, int width,
                         int depth) {
  if (static_cast<int>(table.size()) > depth) throw std::logic_error("netlist: table longer than its memory");
  const int memory = Memory(name, width, depth);
  memories_.back().init = table;
  return memory;
}

Sig Netlist::MemRead(int memory, Sig address) {
  const hdl::Memory& mem = memories_.at(static_cast<std::size_t>(memory));
  At(address);
  return Make(Node{Op::kMemRead, mem.width, {address.id}, 0, memory, "", true});
}

Sig Netlist::MemReadPort(int memory) {
  const hdl::Memory& mem = memories_.at(static_cast<std::size_t>(memory));
  return Make(Node{Op::kMemRead, mem.width, {}, 0, memory, "", true});
}

void Netlist::ReadAddress(Sig port, Sig address) {
  At(address);
  if (At(port).op != Op::kMemRead) throw std::logic_error("netlist: an address for what is no read port");
  Node& node = nodes_[static_cast<std::size_t>(port.id)];
  if (!node.args.empty()) throw std::logic_error("netlist: a read port's address given twice");
  node.args.push_back(address.id);
}

Sig Netlist::Binary(Op op, Sig a, Sig b, int width, const char* what) {
  Same(a, b, what);
  return Make(Node{op, width, {a.id, b.id}, 0, -1, "", true});
}

Sig Netlist::Not(Sig a) { return Make(Node{Op::kNot, At(a).width, {a.id}, 0, -1, "", true}); }

Sig Netlist::And(Sig a, Sig b) { return Binary(Op::kAnd, a, b, a.width, "AND"); }

Sig Netlist::Or(Sig a, Sig b) { return Binary(Op::kOr, a, b, a.width, "OR"); }

Sig Netlist::Xor(Sig a, Sig b) { return Binary(Op::kXor, a, b, a.width, "XOR"); }

Sig Netlist::Mux(Sig select, Sig if_one, Sig if_zero) {
  if (At(select).width != 1) throw std::logic_error("netlist: a select must be one bit");
  Same(if_one, if_zero, "a multiplexer");
  return Make(Node{Op::kMux, if_one.width, {select.id, if_one.id, if_zero.id}, 0, -1, "", true});
}

Sig Netlist::Eq(Sig a, Sig b) { return Binary(Op::kEq, a, b, 1, "a comparison"); }

Sig Netlist::Lt(Sig a, Sig b) { return Binary(Op::kLt, a, b, 1, "a comparison"); }

Sig Netlist::Add(Sig a, Sig b) { return Binary(Op::kAdd, a, b, a.width, "an addition"); }

Sig Netlist::Sub(Sig a, Sig b) { return Binary(Op::kSub, a, b, a.width, "a subtraction"); }

Sig Netlist::Slice(Sig a, int low, int width) {
  if (low < 0 || width < 1 || low + width > At(a).width) {
    throw std::logic_error("netlist: slice outside its value");
  }
  if (low == 0 && width == a.width) return a;
  return Make(Node{Op::kSlice, width, {a.id}, static_cast<std::uint64_t>(low), -1, "", true});
}

Sig Netlist::Concat(const std::vector<Sig>& high_to_low) {
  if (high_to_low.size() == 1) return high_to_low.front();
  Node node{Op::kConcat, 0, {}, 0, -1, "", true};
  for (const Sig& s : high_to_low) {
    node.width += At(s).width;
    node.args.push_back(s.id);
  }
  return Make(node);
}

Sig Netlist::Resize(Sig a, int width) {
  if (width == At(a).width) return a;
  if (width < a.width) return Slice(a, 0, width);
  return Concat({Zero(width - a.width), a});
}

Sig Netlist::ReduceOr(Sig a) {
  if (At(a).width == 1) return a;
  return Make(Node{Op::kReduceOr, 1, {a.id}, 0, -1, "", true});
}

Sig Netlist::GfMulConst(Sig a, int constant) {
  if (At(a).width != m()) throw std::logic_error("netlist: GF operand of the wrong width");
  if (constant < 0 || constant >= field_.size()) {
    throw std::logic_error("netlist: GF constant outside the field");
  }
  if (constant == 1) return a;
  return Make(Node{Op::kGfMulConst, m(), {a.id}, static_cast<std::uint64_t>(constant), -1, "", true});
}

Sig Netlist::GfMul(Sig a, Sig b) {
  Same(a, b, "a GF multiplier");
  if (a.width != m()) throw std::logic_error("netlist: GF operand of the wrong width");
  return Make(Node{Op::kGfMul, m(), {a.id, b.id}, 0, -1, "", true});
}

Sig Netlist::XorAll(const std::vector<Sig>& values, int width) {
  if (values.empty()) return Zero(width);
  // A balanced tree keeps the logic depth at log2 of the count.
  std::vector<Sig> level = values;
  while (level.size() > 1) {
    std::vector<Sig> next;
    for (std::size_t i = 0; i + 1 < level.size(); i += 2) next.push_back(Xor(level[i], level[i + 1]));
    if (level.size() % 2) next.push_back(level.back());
    level = std::move(next);
  }
  return level.front();
}

Sig Netlist::Rom(Sig address, const std::vector<std::uint64_t>& table, int width) {
  At(address);
  if (address.width > 12) throw std::logic_error("netlist: table address too wide");
  int index = -1;
  for (std::size_t t = 0; t < tables_.size(); ++t) {
    if (tables_[t] == table) index = static_cast<int>(t);
  }
  if (index < 0) {
    tables_.push_back(table);
    index = static_cast<int>(tables_.size()) - 1;
  }
  return Make(Node{Op::kRom, width, {address.id}, 0, index, "", true});
}

Sig Netlist::GfInverse(Sig a) {
  if (At(a).width != m()) throw std::logic_error("netlist: GF operand of the wrong width");
  std::vector<std::uint64_t> table(static_cast<std::size_t>(field_.size()));
  for (int i = 0; i < field_.size(); ++i) {
    table[static_cast<std::size_t>(i)] = static_cast<std::uint64_t>(field_.Inverse(i));
  }
  return Rom(a, table, m());
}

Sig Netlist::GfInverseRegistered(Sig a) {
  if (At(a).width != m()) throw std::logic_error("netlist: GF operand of the wrong width");
  if (inverse_memory_ < 0) {
    std::vector<std::uint64_t> table(static_cast<std::size_t>(field_.size()));
    for (int i = 0; i < field_.size(); ++i) {
      table[static_cast<std::size_t>(i)] = static_cast<std::uint64_t>(field_.Inverse(i));
    }
    inverse_memory_ = TableMemory("inverse", table, m(), field_.size());
  }
  return MemRead(inverse_memory_, a);
}

Sig Netlist::Name(Sig value, const std::string& name) {
  Node& node = nodes_.at(static_cast<std::size_t>(value.id));
  if (node.name.empty() && node.op != Op::kConst) {
    node.name = name;
    return value;
  }
  // Already named (a port, a register) or a constant: a named copy.
  Sig copy = Make(Node{Op::kSlice, value.width, {value.id}, 0, -1, name, true});
  return copy;
}

int Netlist::Instantiate(const std::string& label, std::shared_ptr<const Netlist> module) {
  if (!module) throw std::logic_error("netlist: instance " + label + " of no module");
  module->Check();
  const auto paths = CombinationalPaths(*module);
  if (!paths.empty()) {
    throw std::logic_error("netlist: " + module->module_name() + " has a path from " + paths.front().first +
                           " to " + paths.front().second + " without a register");
  }
  const int instance = static_cast<int>(instances_.size());
  const auto& ports = module->ports();
  hdl::Instance placed{label, module, std::vector<int>(ports.size(), -1), std::vector<int>(ports.size(), -1)};
  for (std::size_t p = 0; p < ports.size(); ++p) {
    if (!ports[p].output) continue;
    placed.outputs[p] = Make(Node{Op::kInstanceOutput, ports[p].bits(), {}, p, instance, label + "_" + ports[p].name,
                                  true})
                            .id;
  }
  instances_.push_back(std::move(placed));
  return instance;
}

void Netlist::Connect(int instance, const std::string& input, Sig value) {
  hdl::Instance& placed = instances_.at(static_cast<std::size_t>(instance));
  const auto& ports = placed.module->ports();
  for (std::size_t p = 0; p < ports.size(); ++p) {
    if (ports[p].output || ports[p].name != input) continue;
    if (ports[p].node == placed.module->clock()) {
      throw std::logic_error("netlist: the clock of " + placed.label + " is the netlist's own");
    }
    if (At(value).width != ports[p].bits() || placed.inputs[p] >= 0) {
      throw std::logic_error("netlist: bad connection of " + placed.label + "." + input);
    }
    placed.inputs[p] = value.id;
    return;
  }
  throw std::logic_error("netlist: " + placed.label + " has no input " + input);
}

Sig Netlist::InstanceOutput(int instance, const std::string& output) const {
  const hdl::Instance& placed = instances_.at(static_cast<std::size_t>(instance));
  const auto& ports = placed.module->ports();
  for (std::size_t p = 0; p < ports.size(); ++p) {
    if (ports[p].output && ports[p].name == output) return Sig{placed.outputs[p], ports[p].bits()};
  }
  throw std::logic_error("netlist: " + placed.label + " has no output " + output);
}

void Netlist::Check() const {
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    if (nodes_[i].op == Op::kReg && reg_next_[i].next < 0) {
      throw std::logic_error("netlist: register " + nodes_[i].name + " has no next value");
    }
  }
  for (const Node& node : nodes_) {
    if (node.op == Op::kMemRead && node.args.empty()) {
      throw std::logic_error("netlist: a read port of memory " + memories_.at(static_cast<std::size_t>(node.index)).name +
                             " has no address");
    }
  }
  for (const hdl::Memory& mem : memories_) {
    if (mem.write_data < 0 && mem.init.empty()) {
      throw std::logic_error("netlist: memory " + mem.name + " is never written");
    }
  }
  for (const Port& port : ports_) {
    if (port.node < 0) throw std::logic_error("netlist: output " + port.name + " shows nothing");
  }
  for (const hdl::Instance& placed : instances_) {
    const auto& ports = placed.module->ports();
    for (std::size_t p = 0; p < ports.size(); ++p) {
      if (!ports[p].output && ports[p].node != placed.module->clock() && placed.inputs[p] < 0) {
        throw std::logic_error("netlist: input " + ports[p].name + " of " + placed.label + " is open");
      }
    }
  }
  if (clock_ < 0) throw std::logic_error("netlist: no clock");
}

Liveness FindLive(const Netlist& netlist) {
  const auto& nodes = netlist.nodes();
  Liveness live;
  live.nodes.assign(nodes.size(), false);
  live.used_bits.assign(nodes.size(), 0);
  live.memories.assign(netlist.memories().size(), false);
  std::vector<int> work;
  const auto mask = [](int width) { return width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1; };
  const auto use = [&](int id, std::uint64_t bits) {
    if (id < 0) return;
    const std::size_t u = static_cast<std::size_t>(id);
    live.used_bits[u] |= bits & mask(nodes[u].width);
    if (!live.nodes[u]) {
      live.nodes[u] = true;
      work.push_back(id);
    }
  };
  const std::uint64_t all = ~std::uint64_t{0};
  for (const Port& port : netlist.ports()) {
    if (port.output) use(port.node, all);
  }
  // An instance is always printed whole: whatever drives it, and each of its
  // outputs (the bits nothing reads gathered as unused).
  for (const hdl::Instance& placed : netlist.instances()) {
    for (int input : placed.inputs) use(input, all);
    for (int output : placed.outputs) use(output, 0);
  }
  bool state = false;
  while (!work.empty()) {
    const int id = work.back();
    work.pop_back();
    const Node& node = nodes[static_cast<std::size_t>(id)];
    if (node.op == Op::kSlice) {
      use(node.args[0], mask(node.width) << node.value);
    } else {
      for (int a : node.args) use(a, all);
    }
    if (node.op == Op::kReg) {
      state = true;
      use(netlist.reg_next(id).next, all);
      use(netlist.reg_next(id).enable, all);
    }
    if (node.op == Op::kMemRead) {
      state = true;
      const std::size_t k = static_cast<std::size_t>(node.index);
      if (!live.memories[k]) {
        live.memories[k] = true;
        const hdl::Memory& mem = netlist.memories()[k];
        use(mem.write_address, all);
        use(mem.write_data, all);
        use(mem.write_enable, all);
      }
    }
    if (state) {
      use(netlist.reset(), all);
      use(netlist.clock_enable(), all);
    }
  }
  return live;
}

std::vector<std::pair<std::string, std::string>> CombinationalPaths(const Netlist& netlist) {
  const auto& nodes = netlist.nodes();
  std::vector<std::pair<std::string, std::string>> paths;
  for (const Port& out : netlist.ports()) {
    if (!out.output) continue;
    std::vector<bool> seen(nodes.size(), false);
    std::vector<int> work{out.node};
    while (!work.empty()) {
      const int id = work.back();
      work.pop_back();
      if (id < 0 || seen[static_cast<std::size_t>(id)]) continue;
      seen[static_cast<std::size_t>(id)] = true;
      const Node& node = nodes[static_cast<std::size_t>(id)];
      if (node.op == Op::kInput) {
        paths.emplace_back(netlist.ports()[static_cast<std::size_t>(node.index)].name, out.name);
      } else if (node.op != Op::kReg && node.op != Op::kMemRead && node.op != Op::kInstanceOutput) {
        work.insert(work.end(), node.args.begin(), node.args.end());
      }
    }
  }
  return paths;
}

std::string CommentLines(const std::string& text, const std::string& marker) {
  std::ostringstream out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) out << (line.empty() ? marker : marker + " " + line) << '\n';
  return out.str();
}

}  // namespace codexel::hdl
