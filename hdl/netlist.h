#pragma once
// A synchronous netlist: the hardware of a core described once, as
// registers, memories, GF(2^m) multipliers, XOR and the small logic that
// steers them, then printed by a back end (Verilog or VHDL). One clock, an
// optional synchronous reset and an optional clock enable act on every
// register and memory of the netlist. Another netlist may be instantiated
// as a sub-module (printed as a module or entity of its own, clocked by the
// same clock), whose outputs come from its state alone.
//
// Nodes are created after the nodes they read, so the creation order is an
// evaluation order; registers and memory read ports are the only sources
// whose value comes from the previous clock edge, which is how feedback is
// built (create the register, use it, then give it its next value).

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace codexel::hdl {

// A value of the netlist: a node and its width in bits (1 to 64).
struct Sig {
  int id = -1;
  int width = 0;
  bool valid() const { return id >= 0; }
};

enum class Op {
  kInput,
  kConst,
  kReg,
  kMemRead,
  kNot,
  kAnd,
  kOr,
  kXor,
  kAdd,
  kSub,
  kEq,
  kLt,
  kMux,
  kSlice,
  kConcat,
  kReduceOr,
  kGfMulConst,
  kGfMul,
  kRom,
  kInstanceOutput,
};

struct Node {
  Op op = Op::kConst;
  int width = 1;
  std::vector<int> args;  // node ids read; kMux: select, if one, if zero
  std::uint64_t value = 0;  // kConst: value; kReg: reset and power-up value;
                            // kSlice: lowest bit; kGfMulConst: the constant;
                            // kInstanceOutput: the sub-module's port
  int index = -1;           // kInput: port; kMemRead: memory; kRom: table;
                            // kInstanceOutput: instance
  std::string name;         // ports, registers and named wires
  bool reset = true;        // kReg: false for a data register the reset leaves alone
};

// A register's next value: taken at an edge where `enable` (if any) is high.
struct RegNext {
  int next = -1;
  int enable = -1;
};

struct Memory {
  std::string name;
  int width = 0;
  int depth = 0;
  int write_address = -1;  // all three -1: a table without a write port
  int write_data = -1;
  int write_enable = -1;
  std::vector<std::uint64_t> init;  // power-up words, zeros beyond (and when empty)
};

// A port as the wizard information file records it: width 0 is a single
// bit; otherwise a bus name[width + low - 1 .. low].
struct Port {
  std::string name;
  bool output = false;
  int width = 0;
  int low = 0;
  int node = -1;  // input: its kInput node; output: the node it shows
  int bits() const { return width == 0 ? 1 : width; }
};

class Netlist;

// A sub-module placed in a netlist: its clock is the netlist's clock, each
// other input is driven by a node, and each output shows as a node of its
// own (kInstanceOutput).
struct Instance {
  std::string label;
  std::shared_ptr<const Netlist> module;
  std::vector<int> inputs;   // by the module's port: the node driving it; -1 for outputs and the clock
  std::vector<int> outputs;  // by the module's port: the node showing it; -1 for inputs
};

// GF(2^m) under a field polynomial, for the multiplier nodes.
struct Field {
  int m = 4;
  int irrpol = 19;
  int size() const { return 1 << m; }
  int Multiply(int a, int b) const;
  int Inverse(int a) const;  // 0 for 0
  int Power(int exponent) const;  // alpha^exponent, any integer exponent
};

class Netlist {
 public:
  Netlist(std::string module_name, Field field);

  const std::string& module_name() const { return module_name_; }
  const Field& field() const { return field_; }
  int m() const { return field_.m; }

  // ---- Ports, clock, reset and clock enable ----
  Sig Input(const std::string& name, int width = 0, int low = 0);
  // Declares an output where it stands in the port list; Output gives it
  // its value later.
  void DeclareOutput(const std::string& name, int width = 0, int low = 0);
  void Output(const std::string& name, Sig value, int width = 0, int low = 0);
  // The clock input; every register and memory is clocked by it.
  void SetClock(Sig clock);
  // Synchronous, active high: every register takes its reset value at an
  // edge where it is high, whatever the clock enable says.
  void SetReset(Sig reset);
  // Registers and memories change only at edges where it is high.
  void SetClockEnable(Sig enable);

  // ---- Values ----
  Sig Const(std::uint64_t value, int width);
  Sig Zero(int width) { return Const(0, width); }
  Sig One() { return Const(1, 1); }

  // ---- State ----
  // A register, `init` at power-up and after reset; give it its next value
  // with Next once that value has been built.
  Sig Reg(const std::string& name, int width, std::uint64_t init = 0);
  // A data register: like Reg, but the reset leaves it as it is. For values
  // every stage loads before it reads them, so that synthesis may pack them
  // into shift registers and distributed memory.
  Sig DataReg(const std::string& name, int width);
  void Next(Sig reg, Sig next, Sig enable = {});
  // A memory without reset, all zeros at power-up; one write port and
  // registered read ports (BRAM-friendly).
  int Memory(const std::string& name, int width, int depth);
  void MemWrite(int memory, Sig address, Sig data, Sig enable);
  // The word at `address` as it was at the previous edge.
  Sig MemRead(int memory, Sig address);
  // A read port whose address is given later with ReadAddress, as a
  // register's next value is: for an address that depends on what is read.
  Sig MemReadPort(int memory);
  void ReadAddress(Sig port, Sig address);
  // A read-only memory holding `table` (zeros beyond it), read through
  // MemRead: a block RAM with its contents where the part has one.
  int TableMemory(const std::string& name, const std::vector<std::uint64_t>& table, int width, int depth);

  // ---- Logic ----
  Sig Not(Sig a);
  Sig And(Sig a, Sig b);
  Sig Or(Sig a, Sig b);
  Sig Xor(Sig a, Sig b);
  Sig Mux(Sig select, Sig if_one, Sig if_zero);
  Sig Eq(Sig a, Sig b);
  Sig Ne(Sig a, Sig b) { return Not(Eq(a, b)); }
  Sig Lt(Sig a, Sig b);  // unsigned
  Sig Add(Sig a, Sig b);  // modulo 2^width
  Sig Sub(Sig a, Sig b);  // modulo 2^width
  Sig Slice(Sig a, int low, int width);
  Sig Bit(Sig a, int i) { return Slice(a, i, 1); }
  Sig Concat(const std::vector<Sig>& high_to_low);
  Sig Resize(Sig a, int width);  // zero-extends or keeps the low bits
  Sig ReduceOr(Sig a);
  Sig IsZero(Sig a) { return Not(ReduceOr(a)); }
  // Equal to a small constant.
  Sig EqConst(Sig a, std::uint64_t value) { return Eq(a, Const(value, a.width)); }
  Sig AddConst(Sig a, std::uint64_t value) { return Add(a, Const(value, a.width)); }

  // ---- GF(2^m) ----
  // a * constant: an XOR network.
  Sig GfMulConst(Sig a, int constant);
  // a * b: AND terms and XOR trees.
  Sig GfMul(Sig a, Sig b);
  // XOR of all values given (0 when empty).
  Sig XorAll(const std::vector<Sig>& values, int width);
  // Inverse of a (0 for 0), a look-up table of constants.
  Sig GfInverse(Sig a);
  // Inverse of a as it was at the previous edge: a registered read of the
  // field's inverse table, which maps to block RAM.
  Sig GfInverseRegistered(Sig a);
  // A constant table indexed by `address`; entries beyond it read 0.
  Sig Rom(Sig address, const std::vector<std::uint64_t>& table, int width);

  // Gives a wire a readable name in the printed design.
  Sig Name(Sig value, const std::string& name);

  // ---- Sub-modules ----
  // Places `module` here as `label`. Its outputs must come from its state
  // alone (no combinational path from one of its inputs), so that they may
  // be used before its inputs are connected; throws std::logic_error when
  // one does not.
  int Instantiate(const std::string& label, std::shared_ptr<const Netlist> module);
  // Drives the instance's input `input` (any input but its clock).
  void Connect(int instance, const std::string& input, Sig value);
  // The value the instance shows on its output `output`.
  Sig InstanceOutput(int instance, const std::string& output) const;

  // ---- What a back end reads ----
  const std::vector<Node>& nodes() const { return nodes_; }
  const std::vector<Port>& ports() const { return ports_; }
  const std::vector<hdl::Memory>& memories() const { return memories_; }
  const std::vector<std::vector<std::uint64_t>>& tables() const { return tables_; }
  const std::vector<hdl::Instance>& instances() const { return instances_; }
  const RegNext& reg_next(int node) const { return reg_next_.at(static_cast<std::size_t>(node)); }
  int clock() const { return clock_; }
  int reset() const { return reset_; }
  int clock_enable() const { return clock_enable_; }

  // Throws std::logic_error when a register has no next value, a port
  // shows nothing or an instance input is left open; a finished netlist is
  // always complete.
  void Check() const;

 private:
  Sig Make(Node node);
  Sig Binary(Op op, Sig a, Sig b, int width, const char* what);
  const Node& At(Sig s) const;
  void Same(Sig a, Sig b, const char* what) const;

  std::string module_name_;
  Field field_;
  std::vector<Node> nodes_;
  std::vector<RegNext> reg_next_;  // by node id
  std::vector<Port> ports_;
  std::vector<hdl::Memory> memories_;
  std::vector<std::vector<std::uint64_t>> tables_;
  std::vector<hdl::Instance> instances_;
  int clock_ = -1;
  int reset_ = -1;
  int clock_enable_ = -1;
  int inverse_table_ = -1;
  int inverse_memory_ = -1;
};

// What a back end prints: the nodes and memories the outputs depend on
// (the reset and the clock enable with any register or memory), every
// instance with what drives it and its outputs, and for each node the bits
// of it that are read.
struct Liveness {
  std::vector<bool> nodes;
  std::vector<bool> memories;
  std::vector<std::uint64_t> used_bits;
};
Liveness FindLive(const Netlist& netlist);

// The pairs (input port, output port) joined by a path without a register,
// memory or instance on it; none for a netlist whose outputs come from its
// state alone.
std::vector<std::pair<std::string, std::string>> CombinationalPaths(const Netlist& netlist);

// `text` as comment lines for a printed file, each led by `marker` ("//" or
// "--") and a space, an empty line by the marker alone; "" for no text.
std::string CommentLines(const std::string& text, const std::string& marker);

}  // namespace codexel::hdl
