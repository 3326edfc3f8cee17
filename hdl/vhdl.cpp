#include "hdl/vhdl.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace codexel::hdl {

namespace {

std::uint64_t Mask(int width) {
  return width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Reserved words of VHDL-93 and those VHDL-2008 adds.
const std::set<std::string>& ReservedWords() {
  static const std::set<std::string> words = {
      "abs", "access", "after", "alias", "all", "and", "architecture", "array", "assert", "assume",
      "assume_guarantee", "attribute", "begin", "block", "body", "buffer", "bus", "case", "component",
      "configuration", "constant", "context", "cover", "default", "disconnect", "downto", "else", "elsif",
      "end", "entity", "exit", "fairness", "file", "for", "force", "function", "generate", "generic",
      "group", "guarded", "if", "impure", "in", "inertial", "inout", "is", "label", "library", "linkage",
      "literal", "loop", "map", "mod", "nand", "new", "next", "nor", "not", "null", "of", "on", "open",
      "or", "others", "out", "package", "parameter", "port", "postponed", "procedure", "process",
      "property", "protected", "pure", "range", "record", "register", "reject", "release", "rem",
      "report", "restrict", "restrict_guarantee", "return", "rol", "ror", "select", "sequence",
      "severity", "shared", "signal", "sla", "sll", "sra", "srl", "strong", "subtype", "then", "to",
      "transport", "type", "unaffected", "units", "until", "use", "variable", "vmode", "vprop", "vunit",
      "wait", "when", "while", "with", "xnor", "xor"};
  return words;
}

// Names the printed core refers to; a design named like one of them would
// hide it inside its own architecture.
const std::set<std::string>& UsedNames() {
  static const std::set<std::string> names = {
      "ieee", "std", "work", "std_logic_1164", "numeric_std", "std_logic", "std_ulogic", "std_logic_vector",
      "unsigned", "signed", "rising_edge", "to_integer", "to_unsigned", "shift_left", "gf_mul", "gf_word",
      "gf_poly", "gf_a", "gf_b", "gf_p", "gf_i"};
  return names;
}

bool IsBasicIdentifier(const std::string& name) {
  if (name.empty() || name.size() > 1024 || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c == '_') {
      if (i + 1 == name.size() || name[i + 1] == '_') return false;
    } else if (!std::isalnum(c) || c >= 0x80) {
      return false;
    }
  }
  return true;
}

// A legal basic identifier made of `name`: other characters become '_',
// no '_' doubled or at either end, a letter first.
std::string Sanitize(const std::string& name) {
  std::string out;
  for (char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const char k = (std::isalnum(c) && c < 0x80) ? ch : '_';
    if (k == '_' && (out.empty() || out.back() == '_')) continue;
    out += k;
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  if (out.empty() || !std::isalpha(static_cast<unsigned char>(out[0]))) out = "n" + out;
  return out;
}

std::string Bits(std::uint64_t value, int width) {
  std::string s = "\"";
  for (int b = width - 1; b >= 0; --b) s += ((value >> b) & 1) ? '1' : '0';
  return s + "\"";
}

std::string Vector(int width) { return "unsigned(" + std::to_string(width - 1) + " downto 0)"; }

int AddressWidth(int depth) {
  int w = 1;
  while ((1 << w) < depth) ++w;
  return w;
}

std::string PortType(const Port& port) {
  if (port.width == 0) return "std_logic";
  return "std_logic_vector(" + std::to_string(port.width + port.low - 1) + " downto " + std::to_string(port.low) +
         ")";
}

void PrintPortList(std::ostream& out, const std::vector<Port>& ports, const std::string& indent) {
  out << indent << "port (\n";
  for (std::size_t p = 0; p < ports.size(); ++p) {
    out << indent << "  " << ports[p].name << " : " << (ports[p].output ? "out " : "in ") << PortType(ports[p])
        << (p + 1 < ports.size() ? ";\n" : "\n");
  }
  out << indent << ");\n";
}

class Printer {
 public:
  explicit Printer(const Netlist& nl) : nl_(nl), nodes_(nl.nodes()) {}

  std::string Print(const std::string& header) {
    nl_.Check();
    if (auto problem = VhdlNameProblem(nl_.module_name(), nl_.ports())) throw std::logic_error("vhdl: " + *problem);
    std::set<std::string> port_names;
    for (const Port& port : nl_.ports()) {
      if (!IsBasicIdentifier(port.name) || ReservedWords().count(Lower(port.name)) ||
          UsedNames().count(Lower(port.name)) || !port_names.insert(Lower(port.name)).second) {
        throw std::logic_error("vhdl: the port " + port.name + " has no VHDL name of its own");
      }
    }
    for (const Memory& mem : nl_.memories()) {
      if ((1 << AddressWidth(mem.depth)) != mem.depth) {
        throw std::logic_error("vhdl: memory depth must be a power of two");
      }
    }
    const Port& clock_port = nl_.ports()[Idx(N(nl_.clock()).index)];
    clock_ = clock_port.width == 0 ? clock_port.name : clock_port.name + "(" + std::to_string(clock_port.low) + ")";
    MarkLive();
    NameNodes();
    std::ostringstream out;
    out << CommentLines(header, "--");
    out << "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\n\n"
        << "entity " << nl_.module_name() << " is\n";
    PrintPortList(out, nl_.ports(), "  ");
    out << "end entity " << nl_.module_name() << ";\n\narchitecture rtl of " << nl_.module_name() << " is\n";
    PrintMultiplier(out);
    PrintTables(out);
    PrintDeclarations(out);
    out << "begin\n";
    PrintWires(out);
    PrintProcesses(out);
    PrintInstances(out);
    out << '\n';
    for (const Port& port : nl_.ports()) {
      if (!port.output) continue;
      const std::string& v = names_[Idx(port.node)];
      out << "  " << port.name << " <= " << (port.width == 0 ? v + "(0)" : "std_logic_vector(" + v + ")") << ";\n";
    }
    out << "end architecture rtl;\n";
    return out.str();
  }

 private:
  static std::size_t Idx(int id) { return static_cast<std::size_t>(id); }
  const Node& N(int id) const { return nodes_[Idx(id)]; }

  void MarkLive() {
    Liveness live = FindLive(nl_);
    live_ = std::move(live.nodes);
    mem_live_ = std::move(live.memories);
  }

  // One name space, case ignored: the entity, its ports, the reserved
  // words, the names the design relies on, and every declaration made here.
  std::string Unique(const std::string& wanted) {
    const std::string base = Sanitize(wanted);
    std::string candidate = base;
    for (int k = 2; taken_.count(Lower(candidate)) || ReservedWords().count(Lower(candidate)); ++k) {
      candidate = base + "_" + std::to_string(k);
    }
    taken_.insert(Lower(candidate));
    return candidate;
  }

  void NameNodes() {
    taken_.clear();
    for (const std::string& used : UsedNames()) taken_.insert(used);
    taken_.insert(Lower(nl_.module_name()));
    for (const Port& port : nl_.ports()) taken_.insert(Lower(port.name));
    for (const Instance& placed : nl_.instances()) taken_.insert(Lower(placed.module->module_name()));
    names_.assign(nodes_.size(), "");
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (!live_[i]) continue;
      const Node& node = nodes_[i];
      switch (node.op) {
        case Op::kInput: names_[i] = Unique("in_" + node.name); break;
        case Op::kReg: names_[i] = Unique("r_" + node.name); break;
        case Op::kMemRead: names_[i] = Unique("q" + std::to_string(i)); break;
        default: names_[i] = Unique(node.name.empty() ? "w" + std::to_string(i) : "w_" + node.name);
      }
    }
    const auto& memories = nl_.memories();
    mem_names_.assign(memories.size(), "");
    mem_types_.assign(memories.size(), "");
    for (std::size_t k = 0; k < memories.size(); ++k) {
      if (!mem_live_[k]) continue;
      mem_names_[k] = Unique("mem_" + memories[k].name);
      mem_types_[k] = Unique(mem_names_[k] + "_t");
    }
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (!live_[i] || nodes_[i].op != Op::kRom) continue;
      const TableKey key{nodes_[i].index, N(nodes_[i].args[0]).width, nodes_[i].width};
      if (table_names_.count(key)) continue;
      const std::string name = Unique("table" + std::to_string(key[0]) + "_a" + std::to_string(key[1]) +
                                      (key[2] == nl_.m() ? "" : "_w" + std::to_string(key[2])));
      table_names_[key] = {name, Unique(name + "_t")};
    }
    // An instance's label, and a signal of the port's own type for each of
    // its ports but the clock (VHDL-93 maps no expression onto a port).
    const auto& instances = nl_.instances();
    labels_.assign(instances.size(), "");
    port_signals_.assign(instances.size(), {});
    for (std::size_t k = 0; k < instances.size(); ++k) {
      const Instance& placed = instances[k];
      labels_[k] = Unique(placed.label);
      for (const Port& port : placed.module->ports()) {
        const bool clock = port.node == placed.module->clock();
        port_signals_[k].push_back(clock ? "" : Unique("p_" + placed.label + "_" + port.name));
      }
    }
  }

  std::string Arg(const Node& node, std::size_t k) const { return names_[Idx(node.args[k])]; }

  // One shift-and-add multiplier function serves every general multiplier,
  // as in the Verilog.
  void PrintMultiplier(std::ostream& out) const {
    bool used = false;
    for (std::size_t i = 0; i < nodes_.size(); ++i) used = used || (live_[i] && nodes_[i].op == Op::kGfMul);
    if (!used) return;
    const Field& f = nl_.field();
    out << "\n  -- Product in GF(2^" << f.m << ") under the field polynomial " << f.irrpol << ".\n"
        << "  subtype gf_word is " << Vector(f.m) << ";\n"
        << "  constant gf_poly : gf_word := " << Bits(static_cast<std::uint64_t>(f.irrpol), f.m) << ";\n"
        << "  function gf_mul(gf_a, gf_b : gf_word) return gf_word is\n"
        << "    variable gf_p : gf_word := (others => '0');\n  begin\n"
        << "    for gf_i in " << f.m - 1 << " downto 0 loop\n"
        << "      if gf_p(" << f.m - 1 << ") = '1' then\n        gf_p := shift_left(gf_p, 1) xor gf_poly;\n"
        << "      else\n        gf_p := shift_left(gf_p, 1);\n      end if;\n"
        << "      if gf_b(gf_i) = '1' then\n        gf_p := gf_p xor gf_a;\n      end if;\n"
        << "    end loop;\n    return gf_p;\n  end function gf_mul;\n";
  }

  void PrintTables(std::ostream& out) const {
    for (const auto& [key, names] : table_names_) {
      const auto& table = nl_.tables()[Idx(key[0])];
      const int width = key[2];
      const std::size_t entries = std::size_t{1} << key[1];
      out << "\n  type " << names.second << " is array (0 to " << entries - 1 << ") of " << Vector(width) << ";\n"
          << "  constant " << names.first << " : " << names.second << " := (";
      for (std::size_t k = 0; k < entries; ++k) {
        out << (k % 8 ? " " : "\n    ") << Bits(k < table.size() ? table[k] : 0, width) << (k + 1 < entries ? "," : "");
      }
      out << ");\n";
    }
  }

  void PrintDeclarations(std::ostream& out) const {
    out << '\n';
    const auto& memories = nl_.memories();
    for (std::size_t k = 0; k < memories.size(); ++k) {
      if (!mem_live_[k]) continue;
      const Memory& mem = memories[k];
      out << "  type " << mem_types_[k] << " is array (0 to " << mem.depth - 1 << ") of " << Vector(mem.width)
          << ";\n";
      const bool read_only = mem.write_enable < 0;
      out << "  " << (read_only ? "constant " : "signal ") << mem_names_[k] << " : " << mem_types_[k] << " := ";
      if (mem.init.empty()) {
        out << "(others => (others => '0'));\n";
      } else {
        out << '(';
        for (int w = 0; w < mem.depth; ++w) {
          const std::uint64_t word = static_cast<std::size_t>(w) < mem.init.size() ? mem.init[Idx(w)] : 0;
          out << (w % 8 ? " " : "\n    ") << Bits(word & Mask(mem.width), mem.width) << (w + 1 < mem.depth ? "," : "");
        }
        out << ");\n";
      }
    }
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (!live_[i]) continue;
      const Node& node = nodes_[i];
      if (node.op == Op::kConst) {
        out << "  constant " << names_[i] << " : " << Vector(node.width) << " := " << Bits(node.value, node.width)
            << ";\n";
      } else if (node.op == Op::kReg || node.op == Op::kMemRead) {
        // The power-up value: a register's reset value, a read port's zero.
        const std::uint64_t init = node.op == Op::kReg ? node.value & Mask(node.width) : 0;
        out << "  signal " << names_[i] << " : " << Vector(node.width) << " := " << Bits(init, node.width) << ";\n";
      } else {
        // Zero until the first evaluation, so that no operator ever sees
        // an uninitialised value.
        out << "  signal " << names_[i] << " : " << Vector(node.width) << " := (others => '0');\n";
      }
    }
    const auto& instances = nl_.instances();
    for (std::size_t k = 0; k < instances.size(); ++k) {
      const auto& ports = instances[k].module->ports();
      for (std::size_t p = 0; p < ports.size(); ++p) {
        if (port_signals_[k][p].empty()) continue;
        out << "  signal " << port_signals_[k][p] << " : " << PortType(ports[p]) << ";\n";
      }
    }
  }

  // The combinational nodes, one concurrent statement each (a few for a
  // concatenation or a constant multiplier).
  void PrintWires(std::ostream& out) const {
    const Field& f = nl_.field();
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (!live_[i]) continue;
      const Node& node = nodes_[i];
      const std::string& x = names_[i];
      const std::string lhs = "  " + x + " <= ";
      switch (node.op) {
        case Op::kConst:
        case Op::kReg:
        case Op::kMemRead: break;
        case Op::kInstanceOutput: {
          const Port& port = nl_.instances()[Idx(node.index)].module->ports()[Idx(static_cast<int>(node.value))];
          const std::string& from = port_signals_[Idx(node.index)][node.value];
          if (port.width == 0) {
            out << "  " << x << "(0) <= " << from << ";\n";
          } else {
            out << lhs << "unsigned(" << from << ");\n";
          }
          break;
        }
        case Op::kInput: {
          const Port& port = nl_.ports()[Idx(node.index)];
          if (port.width == 0) {
            out << "  " << x << "(0) <= " << port.name << ";\n";
          } else {
            out << lhs << "unsigned(" << port.name << ");\n";
          }
          break;
        }
        case Op::kNot: out << lhs << "not " << Arg(node, 0) << ";\n"; break;
        case Op::kAnd: out << lhs << Arg(node, 0) << " and " << Arg(node, 1) << ";\n"; break;
        case Op::kOr: out << lhs << Arg(node, 0) << " or " << Arg(node, 1) << ";\n"; break;
        case Op::kXor: out << lhs << Arg(node, 0) << " xor " << Arg(node, 1) << ";\n"; break;
        case Op::kAdd: out << lhs << Arg(node, 0) << " + " << Arg(node, 1) << ";\n"; break;
        case Op::kSub: out << lhs << Arg(node, 0) << " - " << Arg(node, 1) << ";\n"; break;
        case Op::kEq:
          out << lhs << "\"1\" when " << Arg(node, 0) << " = " << Arg(node, 1) << " else \"0\";\n";
          break;
        case Op::kLt:
          out << lhs << "\"1\" when " << Arg(node, 0) << " < " << Arg(node, 1) << " else \"0\";\n";
          break;
        case Op::kMux:
          out << lhs << Arg(node, 1) << " when " << Arg(node, 0) << "(0) = '1' else " << Arg(node, 2) << ";\n";
          break;
        case Op::kSlice: {
          const int low = static_cast<int>(node.value);
          if (low == 0 && node.width == N(node.args[0]).width) {
            out << lhs << Arg(node, 0) << ";\n";
          } else {
            out << lhs << Arg(node, 0) << '(' << low + node.width - 1 << " downto " << low << ");\n";
          }
          break;
        }
        case Op::kConcat: {
          // Part by part: a concatenation's own index range is not the same
          // in VHDL-93 and VHDL-2008.
          int high = node.width - 1;
          for (std::size_t k = 0; k < node.args.size(); ++k) {
            const int w = N(node.args[k]).width;
            out << "  " << x << '(' << high << " downto " << high - w + 1 << ") <= " << Arg(node, k) << ";\n";
            high -= w;
          }
          break;
        }
        case Op::kReduceOr: out << lhs << "\"0\" when " << Arg(node, 0) << " = 0 else \"1\";\n"; break;
        case Op::kGfMulConst: {
          // Output bit b is the XOR of the input bits j whose product with
          // the constant has bit b set.
          const std::string a = Arg(node, 0);
          for (int bit = f.m - 1; bit >= 0; --bit) {
            std::string terms;
            for (int j = 0; j < f.m; ++j) {
              if ((f.Multiply(1 << j, static_cast<int>(node.value)) >> bit) & 1) {
                terms += (terms.empty() ? "" : " xor ") + a + "(" + std::to_string(j) + ")";
              }
            }
            out << "  " << x << '(' << bit << ") <= " << (terms.empty() ? "'0'" : terms) << ";\n";
          }
          break;
        }
        case Op::kGfMul: out << lhs << "gf_mul(" << Arg(node, 0) << ", " << Arg(node, 1) << ");\n"; break;
        case Op::kRom: {
          const auto& names = table_names_.at(TableKey{node.index, N(node.args[0]).width, node.width});
          out << lhs << names.first << "(to_integer(" << Arg(node, 0) << "));\n";
          break;
        }
      }
    }
  }

  std::string High(int id) const { return names_[Idx(id)] + "(0) = '1'"; }

  void PrintNext(std::ostream& out, std::size_t i, const std::string& indent) const {
    const RegNext& rn = nl_.reg_next(static_cast<int>(i));
    if (rn.enable >= 0) {
      out << indent << "if " << High(rn.enable) << " then\n"
          << indent << "  " << names_[i] << " <= " << names_[Idx(rn.next)] << ";\n"
          << indent << "end if;\n";
    } else {
      out << indent << names_[i] << " <= " << names_[Idx(rn.next)] << ";\n";
    }
  }

  // A memory word by an address: its low bits index the array; an address
  // beyond the memory reads 0 and writes nothing, as in the netlist.
  std::string Index(int address, int depth) const {
    const int aw = AddressWidth(depth);
    const std::string& a = names_[Idx(address)];
    if (N(address).width <= aw) return "to_integer(" + a + ")";
    return "to_integer(" + a + "(" + std::to_string(aw - 1) + " downto 0))";
  }
  std::string InRange(int address, int depth) const {
    const int aw = AddressWidth(depth);
    const int w = N(address).width;
    if (w <= aw) return "";
    return names_[Idx(address)] + "(" + std::to_string(w - 1) + " downto " + std::to_string(aw) + ") = 0";
  }

  void PrintProcesses(std::ostream& out) const {
    const std::string ce = nl_.clock_enable() >= 0 ? High(nl_.clock_enable()) : "";
    std::vector<std::size_t> regs, data_regs;
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (live_[i] && nodes_[i].op == Op::kReg) (nodes_[i].reset ? regs : data_regs).push_back(i);
    }
    const auto begin = [&](const std::string& comment) {
      out << "\n  -- " << comment << "\n  process (" << clock_ << ")\n  begin\n    if rising_edge(" << clock_
          << ") then\n";
    };
    const auto end = [&]() { out << "    end if;\n  end process;\n"; };
    if (!regs.empty()) {
      begin("Registers: the reset over the clock enable.");
      std::string indent = "      ";
      if (nl_.reset() >= 0) {
        out << "      if " << High(nl_.reset()) << " then\n";
        for (std::size_t i : regs) {
          out << "        " << names_[i] << " <= " << Bits(nodes_[i].value & Mask(nodes_[i].width), nodes_[i].width)
              << ";\n";
        }
        out << (ce.empty() ? "      else\n" : "      elsif " + ce + " then\n");
        indent = "        ";
      } else if (!ce.empty()) {
        out << "      if " << ce << " then\n";
        indent = "        ";
      }
      for (std::size_t i : regs) PrintNext(out, i, indent);
      if (indent.size() > 6) out << "      end if;\n";
      end();
    }
    if (!data_regs.empty()) {
      begin("Data registers: loaded before they are read, so the reset leaves them.");
      if (!ce.empty()) out << "      if " << ce << " then\n";
      for (std::size_t i : data_regs) PrintNext(out, i, ce.empty() ? "      " : "        ");
      if (!ce.empty()) out << "      end if;\n";
      end();
    }
    const auto& memories = nl_.memories();
    for (std::size_t k = 0; k < memories.size(); ++k) {
      if (!mem_live_[k]) continue;
      const Memory& mem = memories[k];
      begin(std::string(mem.write_enable >= 0 ? "A RAM" : "A ROM") + " with registered reads.");
      std::string indent = "      ";
      if (!ce.empty()) {
        out << "      if " << ce << " then\n";
        indent = "        ";
      }
      if (mem.write_enable >= 0) {
        std::string condition = High(mem.write_enable);
        const std::string range = InRange(mem.write_address, mem.depth);
        if (!range.empty()) condition += " and " + range;
        out << indent << "if " << condition << " then\n"
            << indent << "  " << mem_names_[k] << '(' << Index(mem.write_address, mem.depth)
            << ") <= " << names_[Idx(mem.write_data)] << ";\n"
            << indent << "end if;\n";
      }
      for (std::size_t i = 0; i < nodes_.size(); ++i) {
        if (!live_[i] || nodes_[i].op != Op::kMemRead || nodes_[i].index != static_cast<int>(k)) continue;
        const int address = nodes_[i].args[0];
        const std::string read = names_[i] + " <= " + mem_names_[k] + "(" + Index(address, mem.depth) + ");\n";
        const std::string range = InRange(address, mem.depth);
        if (range.empty()) {
          out << indent << read;
        } else {
          out << indent << "if " << range << " then\n"
              << indent << "  " << read << indent << "else\n"
              << indent << "  " << names_[i] << " <= (others => '0');\n"
              << indent << "end if;\n";
        }
      }
      if (!ce.empty()) out << "      end if;\n";
      end();
    }
  }

  void PrintInstances(std::ostream& out) const {
    const auto& instances = nl_.instances();
    for (std::size_t k = 0; k < instances.size(); ++k) {
      const Instance& placed = instances[k];
      const auto& ports = placed.module->ports();
      out << '\n';
      for (std::size_t p = 0; p < ports.size(); ++p) {
        if (ports[p].output || port_signals_[k][p].empty()) continue;
        const std::string& v = names_[Idx(placed.inputs[p])];
        out << "  " << port_signals_[k][p] << " <= "
            << (ports[p].width == 0 ? v + "(0)" : "std_logic_vector(" + v + ")") << ";\n";
      }
      out << "  " << labels_[k] << " : entity work." << placed.module->module_name() << "\n    port map (\n";
      for (std::size_t p = 0; p < ports.size(); ++p) {
        out << "      " << ports[p].name << " => " << (port_signals_[k][p].empty() ? clock_ : port_signals_[k][p])
            << (p + 1 < ports.size() ? ",\n" : ");\n");
      }
    }
  }

  const Netlist& nl_;
  const std::vector<Node>& nodes_;
  std::string clock_;
  std::vector<bool> live_;
  std::vector<bool> mem_live_;
  std::vector<std::string> names_;
  std::vector<std::string> mem_names_, mem_types_;
  using TableKey = std::array<int, 3>;  // table, address width, word width
  std::map<TableKey, std::pair<std::string, std::string>> table_names_;  // constant, its type
  std::set<std::string> taken_;
  std::vector<std::string> labels_;                     // by instance
  std::vector<std::vector<std::string>> port_signals_;  // by instance and port; "" for the clock
};

}  // namespace

std::optional<std::string> VhdlNameProblem(const std::string& name, const std::vector<Port>& ports) {
  const std::string lead = "'" + name + "' cannot name a VHDL entity: ";
  if (!IsBasicIdentifier(name)) {
    return lead +
           "it must begin with a letter and hold only letters, digits and single '_' between them";
  }
  if (ReservedWords().count(Lower(name))) return lead + "it is a VHDL reserved word";
  if (UsedNames().count(Lower(name))) return lead + "the core itself uses that name";
  for (const Port& port : ports) {
    if (Lower(port.name) == Lower(name)) {
      return "'" + name + "' is the name of one of the core's ports" +
             (port.name == name ? std::string() : " (" + port.name + "; VHDL ignores case)");
    }
  }
  return std::nullopt;
}

std::string PrintVhdl(const Netlist& netlist, const std::string& header_comment) {
  return Printer(netlist).Print(header_comment);
}

std::string PrintVhdlComponent(const std::string& entity_name, const std::vector<Port>& ports,
                               const std::string& header_comment) {
  std::ostringstream out;
  out << CommentLines(header_comment, "--");
  out << "component " << entity_name << '\n';
  PrintPortList(out, ports, "  ");
  out << "end component;\n";
  return out.str();
}

}  // namespace codexel::hdl
