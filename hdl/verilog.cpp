#include "hdl/verilog.h"

#include <cstdint>
#include <map>
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

std::string Range(int width) { return width == 1 ? "[0:0]" : "[" + std::to_string(width - 1) + ":0]"; }

std::string Literal(std::uint64_t value, int width) {
  std::ostringstream s;
  s << width << "'h" << std::hex << (value & Mask(width));
  return s.str();
}

std::string PortRange(const Port& port) {
  if (port.width == 0) return "";
  return "[" + std::to_string(port.width + port.low - 1) + ":" + std::to_string(port.low) + "] ";
}

int AddressWidth(int depth) {
  int w = 1;
  while ((1 << w) < depth) ++w;
  return w;
}

class Printer {
 public:
  explicit Printer(const Netlist& nl) : nl_(nl), nodes_(nl.nodes()) {}

  std::string Print(const std::string& header) {
    nl_.Check();
    for (const Memory& mem : nl_.memories()) {
      if ((1 << AddressWidth(mem.depth)) != mem.depth) {
        throw std::logic_error("verilog: memory depth must be a power of two");
      }
    }
    MarkLive();
    NameNodes();
    std::ostringstream out;
    out << CommentLines(header, "//");
    out << "`timescale 1ns / 1ps\n\n";
    out << "module " << nl_.module_name() << " (\n";
    const auto& ports = nl_.ports();
    for (std::size_t p = 0; p < ports.size(); ++p) {
      out << "  " << (ports[p].output ? "output " : "input ") << PortRange(ports[p]) << ports[p].name
          << (p + 1 < ports.size() ? ",\n" : "\n");
    }
    out << ");\n";
    PrintTables(out);
    PrintMultiplier(out);
    PrintDeclarations(out);
    PrintAlways(out);
    PrintInstances(out);
    for (const Port& port : ports) {
      if (port.output) out << "  assign " << port.name << " = " << names_[Idx(port.node)] << ";\n";
    }
    PrintUnused(out);
    out << "\nendmodule\n";
    return out.str();
  }

 private:
  static std::size_t Idx(int id) { return static_cast<std::size_t>(id); }
  const Node& N(int id) const { return nodes_[Idx(id)]; }

  void MarkLive() {
    Liveness live = FindLive(nl_);
    live_ = std::move(live.nodes);
    mem_live_ = std::move(live.memories);
    used_ = std::move(live.used_bits);
  }

  void NameNodes() {
    names_.assign(nodes_.size(), "");
    std::set<std::string> taken;
    for (const Port& port : nl_.ports()) taken.insert(port.name);
    // A signal named like its module hides the module's name (linters warn).
    taken.insert(nl_.module_name());
    for (const Instance& placed : nl_.instances()) taken.insert(placed.module->module_name());
    auto unique = [&](std::string name) {
      std::string candidate = name;
      for (int k = 2; taken.count(candidate); ++k) candidate = name + "_" + std::to_string(k);
      taken.insert(candidate);
      return candidate;
    };
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (!live_[i]) continue;
      const Node& node = nodes_[i];
      switch (node.op) {
        case Op::kInput: names_[i] = unique("in_" + node.name); break;
        case Op::kReg: names_[i] = unique("r_" + node.name); break;
        case Op::kMemRead: names_[i] = unique("q" + std::to_string(i)); break;
        default:
          names_[i] = unique(node.name.empty() ? "w" + std::to_string(i) : "w_" + node.name);
      }
    }
    for (const Instance& placed : nl_.instances()) labels_.push_back(unique(placed.label));
  }

  std::string TableFunction(int table, int address_width) const {
    return "table" + std::to_string(table) + "_a" + std::to_string(address_width);
  }

  void PrintTables(std::ostream& out) {
    std::set<std::pair<int, int>> done;
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      const Node& node = nodes_[i];
      if (!live_[i] || node.op != Op::kRom) continue;
      const int aw = N(node.args[0]).width;
      if (!done.insert({node.index, aw}).second) continue;
      const auto& table = nl_.tables()[Idx(node.index)];
      const std::string f = TableFunction(node.index, aw);
      out << "\n  function " << Range(node.width) << ' ' << f << ";\n"
          << "    input " << Range(aw) << " a;\n"
          << "    begin\n      case (a)\n";
      const std::size_t entries = std::min<std::size_t>(table.size(), std::size_t{1} << aw);
      for (std::size_t k = 0; k < entries; ++k) {
        out << "        " << Literal(k, aw) << ": " << f << " = " << Literal(table[k], node.width) << ";\n";
      }
      out << "        default: " << f << " = " << Literal(0, node.width) << ";\n"
          << "      endcase\n    end\n  endfunction\n";
    }
  }

  std::string Arg(const Node& node, int k) const { return names_[Idx(node.args[Idx(k)])]; }

  std::string GfConstExpression(const Node& node) const {
    const Field& f = nl_.field();
    const std::string a = Arg(node, 0);
    std::string e = "{";
    for (int bit = f.m - 1; bit >= 0; --bit) {
      std::uint64_t mask = 0;
      for (int j = 0; j < f.m; ++j) {
        if ((f.Multiply(1 << j, static_cast<int>(node.value)) >> bit) & 1) mask |= std::uint64_t{1} << j;
      }
      e += mask ? "^(" + a + " & " + Literal(mask, f.m) + ")" : "1'b0";
      e += bit ? ", " : "}";
    }
    return e;
  }

  std::string GfMulExpression(const Node& node) const {
    return "gf_mul(" + Arg(node, 0) + ", " + Arg(node, 1) + ")";
  }

  // One multiplier function serves every general multiplier: the product
  // polynomial's 2m - 1 coefficients as XORs of AND terms, then each result
  // bit as the XOR of the coefficients whose power of x reduces onto it
  // (written out, which synthesis maps a LUT level shallower than a
  // shift-and-add loop). Simulators and linters read one definition instead
  // of a page per multiplier.
  void PrintMultiplier(std::ostream& out) const {
    bool used = false;
    for (std::size_t i = 0; i < nodes_.size(); ++i) used = used || (live_[i] && nodes_[i].op == Op::kGfMul);
    if (!used) return;
    const Field& f = nl_.field();
    const int m = f.m;
    const std::string range = Range(m);
    out << "\n  // Product in GF(2^" << m << ") under the field polynomial " << f.irrpol << ".\n"
        << "  function " << range << " gf_mul;\n"
        << "    input " << range << " a;\n    input " << range << " b;\n"
        << "    reg " << Range(2 * m - 1) << " c;\n    begin\n";
    for (int e = 0; e <= 2 * m - 2; ++e) {
      out << "      c[" << e << "] =";
      const char* sep = " ";
      for (int i = 0; i < m; ++i) {
        if (e - i < 0 || e - i >= m) continue;
        out << sep << "(a[" << i << "] & b[" << e - i << "])";
        sep = " ^ ";
      }
      out << ";\n";
    }
    for (int bit = 0; bit < m; ++bit) {
      out << "      gf_mul[" << bit << "] =";
      const char* sep = " ";
      for (int e = 0; e <= 2 * m - 2; ++e) {
        // x^e reduced: bit `bit` of alpha^e's polynomial form.
        if ((f.Power(e) >> bit) & 1) {
          out << sep << "c[" << e << "]";
          sep = " ^ ";
        }
      }
      out << ";\n";
    }
    out << "    end\n  endfunction\n";
  }

  std::string Expression(std::size_t i) const {
    const Node& node = nodes_[i];
    switch (node.op) {
      case Op::kInput: return nl_.ports()[Idx(node.index)].name;
      case Op::kConst: return Literal(node.value, node.width);
      case Op::kNot: return "~" + Arg(node, 0);
      case Op::kAnd: return Arg(node, 0) + " & " + Arg(node, 1);
      case Op::kOr: return Arg(node, 0) + " | " + Arg(node, 1);
      case Op::kXor: return Arg(node, 0) + " ^ " + Arg(node, 1);
      case Op::kAdd: return Arg(node, 0) + " + " + Arg(node, 1);
      case Op::kSub: return Arg(node, 0) + " - " + Arg(node, 1);
      case Op::kEq: return Arg(node, 0) + " == " + Arg(node, 1);
      case Op::kLt: return Arg(node, 0) + " < " + Arg(node, 1);
      case Op::kMux: return Arg(node, 0) + " ? " + Arg(node, 1) + " : " + Arg(node, 2);
      case Op::kSlice: {
        const int low = static_cast<int>(node.value);
        const int source_width = N(node.args[0]).width;
        if (low == 0 && node.width == source_width) return Arg(node, 0);
        if (node.width == 1) return Arg(node, 0) + "[" + std::to_string(low) + "]";
        return Arg(node, 0) + "[" + std::to_string(low + node.width - 1) + ":" + std::to_string(low) + "]";
      }
      case Op::kConcat: {
        std::string e = "{";
        for (std::size_t k = 0; k < node.args.size(); ++k) {
          e += (k ? ", " : "") + Arg(node, static_cast<int>(k));
        }
        return e + "}";
      }
      case Op::kReduceOr: return "|" + Arg(node, 0);
      case Op::kGfMulConst: return GfConstExpression(node);
      case Op::kGfMul: return GfMulExpression(node);
      case Op::kRom: return TableFunction(node.index, N(node.args[0]).width) + "(" + Arg(node, 0) + ")";
      case Op::kReg:
      case Op::kMemRead:
      case Op::kInstanceOutput: break;
    }
    throw std::logic_error("verilog: no expression for a state node");
  }

  void PrintDeclarations(std::ostream& out) {
    out << '\n';
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (!live_[i]) continue;
      const Node& node = nodes_[i];
      if (node.op == Op::kReg) {
        out << "  reg " << Range(node.width) << ' ' << names_[i] << " = " << Literal(node.value, node.width)
            << ";\n";
      } else if (node.op == Op::kMemRead) {
        out << "  reg " << Range(node.width) << ' ' << names_[i] << " = " << Literal(0, node.width) << ";\n";
      }
    }
    const auto& memories = nl_.memories();
    for (std::size_t k = 0; k < memories.size(); ++k) {
      if (!mem_live_[k]) continue;
      const Memory& mem = memories[k];
      // A table of 64 words or more belongs in block RAM where the part has
      // it; left to itself, synthesis builds it from logic.
      if (mem.write_enable < 0 && mem.depth >= 64) out << "  (* rom_style = \"block\" *)\n";
      out << "  reg " << Range(mem.width) << " mem_" << mem.name << " [0:" << mem.depth - 1 << "];\n"
          << "  integer init_" << mem.name << ";\n"
          << "  initial begin\n    for (init_" << mem.name << " = 0; init_" << mem.name << " < "
          << mem.depth << "; init_" << mem.name << " = init_" << mem.name << " + 1)\n      mem_"
          << mem.name << "[init_" << mem.name << "] = " << Literal(0, mem.width) << ";\n";
      for (std::size_t w = 0; w < mem.init.size(); ++w) {
        if (mem.init[w] & Mask(mem.width)) {
          out << "    mem_" << mem.name << '[' << w << "] = " << Literal(mem.init[w], mem.width) << ";\n";
        }
      }
      out << "  end\n";
    }
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (!live_[i] || nodes_[i].op == Op::kReg || nodes_[i].op == Op::kMemRead) continue;
      out << "  wire " << Range(nodes_[i].width) << ' ' << names_[i];
      // An instance's output is driven by the instance.
      if (nodes_[i].op != Op::kInstanceOutput) out << " = " << Expression(i);
      out << ";\n";
    }
  }

  void PrintInstances(std::ostream& out) const {
    const std::string clock = nl_.ports()[Idx(N(nl_.clock()).index)].name;
    const auto& instances = nl_.instances();
    for (std::size_t k = 0; k < instances.size(); ++k) {
      const Instance& placed = instances[k];
      const auto& ports = placed.module->ports();
      out << "\n  " << placed.module->module_name() << ' ' << labels_[k] << " (\n";
      for (std::size_t p = 0; p < ports.size(); ++p) {
        const int node = ports[p].output ? placed.outputs[p] : placed.inputs[p];
        out << "    ." << ports[p].name << '(' << (node < 0 ? clock : names_[Idx(node)]) << ')'
            << (p + 1 < ports.size() ? ",\n" : "\n");
      }
      out << "  );\n";
    }
  }

  void PrintAlways(std::ostream& out) {
    const std::string clock = nl_.ports()[Idx(N(nl_.clock()).index)].name;
    const std::string ce = nl_.clock_enable() >= 0 ? names_[Idx(nl_.clock_enable())] : "";
    std::vector<std::size_t> regs, data_regs;
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (live_[i] && nodes_[i].op == Op::kReg) (nodes_[i].reset ? regs : data_regs).push_back(i);
    }
    const auto print_next = [&](std::size_t i, const std::string& indent) {
      const RegNext& rn = nl_.reg_next(static_cast<int>(i));
      out << indent;
      if (rn.enable >= 0) out << "if (" << names_[Idx(rn.enable)] << ") ";
      out << names_[i] << " <= " << names_[Idx(rn.next)] << ";\n";
    };
    if (!regs.empty()) {
      out << "\n  always @(posedge " << clock << ") begin\n";
      std::string indent = "    ";
      if (nl_.reset() >= 0) {
        out << "    if (" << names_[Idx(nl_.reset())] << ") begin\n";
        for (std::size_t i : regs) {
          out << "      " << names_[i] << " <= " << Literal(nodes_[i].value, nodes_[i].width) << ";\n";
        }
        out << "    end else" << (ce.empty() ? " begin\n" : " if (" + ce + ") begin\n");
        indent = "      ";
      } else if (!ce.empty()) {
        out << "    if (" << ce << ") begin\n";
        indent = "      ";
      }
      for (std::size_t i : regs) print_next(i, indent);
      if (indent.size() > 4) out << "    end\n";
      out << "  end\n";
    }
    // Data registers: loaded before they are read, so the reset leaves them.
    if (!data_regs.empty()) {
      out << "\n  always @(posedge " << clock << ") begin\n";
      if (!ce.empty()) out << "    if (" << ce << ") begin\n";
      for (std::size_t i : data_regs) print_next(i, ce.empty() ? "    " : "      ");
      if (!ce.empty()) out << "    end\n";
      out << "  end\n";
    }
    const auto& memories = nl_.memories();
    for (std::size_t k = 0; k < memories.size(); ++k) {
      if (!mem_live_[k]) continue;
      const Memory& mem = memories[k];
      out << "\n  always @(posedge " << clock << ") begin\n"
          << "    if (" << (ce.empty() ? "1'b1" : ce) << ") begin\n";
      if (mem.write_enable >= 0) {
        out << "      if (" << names_[Idx(mem.write_enable)] << ") mem_" << mem.name << '['
            << names_[Idx(mem.write_address)] << "] <= " << names_[Idx(mem.write_data)] << ";\n";
      }
      for (std::size_t i = 0; i < nodes_.size(); ++i) {
        if (live_[i] && nodes_[i].op == Op::kMemRead && nodes_[i].index == static_cast<int>(k)) {
          out << "      " << names_[i] << " <= mem_" << mem.name << '[' << Arg(nodes_[i], 0) << "];\n";
        }
      }
      out << "    end\n  end\n";
    }
  }

  // Inputs the core does not read and wires whose bits are only partly
  // read, gathered in one sink that linters know as deliberate.
  void PrintUnused(std::ostream& out) {
    std::vector<std::string> unused;
    for (const Port& port : nl_.ports()) {
      if (!port.output && !live_[Idx(port.node)] && port.node != nl_.clock()) unused.push_back(port.name);
    }
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if (!live_[i] || nodes_[i].op == Op::kConst) continue;
      const std::uint64_t full = Mask(nodes_[i].width);
      if ((used_[i] & full) == full) continue;
      for (int b = 0; b < nodes_[i].width; ++b) {
        if (!((used_[i] >> b) & 1)) unused.push_back(names_[i] + "[" + std::to_string(b) + "]");
      }
    }
    if (unused.empty()) return;
    out << "\n  // Bits the core does not need.\n  wire _unused_ok = &{1'b0";
    for (const std::string& u : unused) out << ", " << u;
    out << ", 1'b0};\n";
  }

  const Netlist& nl_;
  const std::vector<Node>& nodes_;
  std::vector<bool> live_;
  std::vector<std::uint64_t> used_;
  std::vector<bool> mem_live_;
  std::vector<std::string> names_;
  std::vector<std::string> labels_;  // by instance
};

}  // namespace

std::string PrintVerilog(const Netlist& netlist, const std::string& header_comment) {
  return Printer(netlist).Print(header_comment);
}

}  // namespace codexel::hdl
