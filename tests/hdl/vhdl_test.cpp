// The VHDL back end on a netlist made to hold everything a core may use:
// every operation, reset and data registers, register enables, the clock
// enable, written memories with and without contents, a read-only table
// memory, addresses narrower and wider than their memory, widths from 1 to
// 64, names that VHDL would read as one (case) or not at all, and a
// sub-module instance with its own reset and clock enable. Random
// stimulus runs through the netlist's own simulation; GHDL, as VHDL-93 and
// as VHDL-2008, must show the same outputs at every clock, from power-up on.
// And the names a design may take.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "hdl/netlist.h"
#include "hdl/simulator.h"
#include "hdl/vhdl.h"
#include "tests/support/run_tool.h"

namespace codexel::hdl {
namespace {

namespace fs = std::filesystem;

// A sub-module: an accumulator with its own reset and clock enable, its
// outputs from registers.
std::shared_ptr<const Netlist> Accumulator() {
  auto nl = std::make_shared<Netlist>("Sub_Acc", Field{5, 37});
  nl->SetClock(nl->Input("clk"));
  nl->SetReset(nl->Input("clear"));
  nl->SetClockEnable(nl->Input("en"));
  const Sig d = nl->Input("d", 5, 1);
  const Sig sum = nl->Reg("sum", 5, 3);
  nl->Next(sum, nl->Xor(sum, nl->GfMulConst(d, 7)));
  nl->Output("q", sum, 5, 1);
  nl->Output("odd", nl->Bit(sum, 0));
  return nl;
}

Netlist EveryOperation() {
  Netlist nl("Every_Op", Field{5, 37});
  const Sig clk = nl.Input("clk");
  const Sig rst = nl.Input("rst");
  const Sig ce = nl.Input("ce");
  const Sig a = nl.Input("a", 5, 1);
  const Sig b = nl.Input("b", 5, 0);
  const Sig wide = nl.Input("wide", 64, 1);
  const Sig sel = nl.Input("sel");
  nl.Input("spare", 3, 1);  // read by nothing
  nl.SetClock(clk);
  nl.SetReset(rst);
  nl.SetClockEnable(ce);

  // Names that clash with each other once case is ignored, or are no VHDL.
  const Sig x = nl.Name(nl.Xor(a, b), "Foo");
  const Sig ands = nl.Name(nl.And(a, b), "foo");
  const Sig ors = nl.Name(nl.Or(a, b), "a__b_");
  const Sig sum = nl.Name(nl.Add(a, b), "signal");
  const Sig difference = nl.Name(nl.Sub(a, b), "_in");
  const Sig eq = nl.Eq(a, b);
  const Sig lt = nl.Lt(a, b);
  const Sig slice = nl.Slice(wide, 13, 20);
  const Sig wide_or = nl.ReduceOr(nl.Slice(wide, 40, 7));
  const Sig logic = nl.XorAll({nl.Not(a), ands, ors, x, sum, difference, nl.Mux(sel, a, b), nl.GfMulConst(a, 19),
                               nl.GfMul(a, b), nl.GfInverse(b)},
                              5);
  const Sig rom = nl.Rom(nl.Slice(wide, 0, 3), {5, 9, 1}, 7);  // zeros beyond the table

  const Sig acc = nl.Reg("acc", 64, 0x8000000000000001ULL);
  nl.Next(acc, nl.Add(acc, wide));
  const Sig data = nl.DataReg("data", 27);
  nl.Next(data, nl.Concat({eq, lt, slice, a}));
  const Sig held = nl.Reg("X", 5, 21);
  nl.Next(held, nl.GfMul(a, b), sel);
  const Sig toggle = nl.Reg("x", 1, 1);
  nl.Next(toggle, nl.Not(toggle));

  const int ram = nl.Memory("ram", 8, 16);
  nl.MemWrite(ram, nl.Slice(wide, 50, 5), nl.Slice(wide, 0, 8), sel);  // beyond the memory now and then
  const Sig narrow_read = nl.MemRead(ram, nl.Slice(b, 0, 3));
  const Sig wide_read = nl.MemRead(ram, nl.Slice(wide, 30, 6));
  const int loaded = nl.TableMemory("Ram", {200, 7, 0, 99}, 8, 4);
  nl.MemWrite(loaded, nl.Slice(a, 0, 2), nl.Slice(wide, 8, 8), nl.And(sel, eq));
  const int bits = nl.Memory("bits", 1, 2);
  nl.MemWrite(bits, nl.Slice(b, 0, 1), sel, nl.One());

  nl.Output("o_logic", logic, 5, 1);
  nl.Output("o_flags", nl.Concat({eq, lt, wide_or}), 3, 0);
  nl.Output("o_data", data, 27, 1);
  nl.Output("o_acc", nl.Xor(acc, nl.Const(~std::uint64_t{0}, 64)), 64, 1);
  nl.Output("o_lt64", nl.Lt(wide, acc));
  nl.Output("o_rom", rom, 7, 1);
  nl.Output("o_mem", nl.Xor(narrow_read, wide_read), 8, 1);
  nl.Output("o_inv", nl.Xor(nl.GfInverseRegistered(a), held), 5, 1);
  nl.Output("o_loaded", nl.MemRead(loaded, nl.Slice(b, 1, 2)), 8, 1);
  nl.Output("o_bits", nl.Concat({toggle, nl.MemRead(bits, nl.Slice(a, 2, 1))}), 2, 1);

  // An instance whose output is used before its inputs are connected, one
  // of them from that output (through a register of its own).
  const int acc5 = nl.Instantiate("sub", Accumulator());
  const Sig q = nl.InstanceOutput(acc5, "q");
  nl.Output("o_sub", nl.Name(nl.Xor(q, b), "sub_q"), 5, 1);
  nl.Connect(acc5, "clear", nl.Or(rst, eq));
  nl.Connect(acc5, "en", nl.Not(sel));
  nl.Connect(acc5, "d", nl.Xor(a, q));
  return nl;
}

std::string Bits(std::uint64_t value, int width) {
  std::string s;
  for (int b = width - 1; b >= 0; --b) s += ((value >> b) & 1) ? '1' : '0';
  return s;
}

// A bench that drives each clock's inputs from trace.txt, compares every
// output 4 ns later and then clocks: one line a clock, the inputs but the
// clock and then the outputs in port order, as bit strings.
std::string ReplayBench(const Netlist& nl) {
  std::ostringstream decl, read, drive, compare;
  for (const Port& port : nl.ports()) {
    const std::string type = port.width == 0 ? "std_logic" : "std_logic_vector(" +
                                                                 std::to_string(port.width + port.low - 1) +
                                                                 " downto " + std::to_string(port.low) + ")";
    decl << "  signal " << port.name << " : " << type << (port.output ? "" : port.width ? " := (others => '0')" : " := '0'")
         << ";\n";
    if (port.node == nl.clock()) continue;
    read << "    variable v_" << port.name << " : bit_vector(" << port.bits() - 1 << " downto 0);\n";
    const std::string value = port.width == 0 ? "to_stdulogic(v_" + port.name + "(0))"
                                              : "to_stdlogicvector(v_" + port.name + ")";
    if (port.output) {
      compare << "      read(l, v_" << port.name << ");\n      if " << port.name << " /= " << value
              << " then\n        errors := errors + 1;\n"
              << "        write(o, \"FAIL clock \" & integer'image(c) & \" " << port.name << "\");\n"
              << "        writeline(output, o);\n      end if;\n";
    } else {
      drive << "      read(l, v_" << port.name << ");\n      " << port.name << " <= " << value << ";\n";
    }
  }
  std::ostringstream v;
  const std::string clock = nl.ports()[static_cast<std::size_t>(nl.nodes()[static_cast<std::size_t>(nl.clock())].index)].name;
  v << "library ieee;\nuse ieee.std_logic_1164.all;\nuse std.textio.all;\n\nentity replay is\nend entity replay;\n\n"
    << "architecture sim of replay is\n" << decl.str() << "begin\n  core : entity work." << nl.module_name()
    << " port map (";
  for (std::size_t p = 0; p < nl.ports().size(); ++p) {
    v << (p ? ", " : "") << nl.ports()[p].name << " => " << nl.ports()[p].name;
  }
  v << ");\n  process\n    file trace : text open read_mode is \"trace.txt\";\n    variable l, o : line;\n"
    << "    variable c, errors : natural := 0;\n" << read.str() << "  begin\n"
    << "    while not endfile(trace) loop\n      readline(trace, l);\n" << drive.str() << "      wait for 4 ns;\n"
    << compare.str() << "      wait for 1 ns;\n      " << clock << " <= '1';\n      wait for 5 ns;\n      " << clock
    << " <= '0';\n      c := c + 1;\n    end loop;\n    if errors = 0 then\n"
    << "      write(o, \"PASS \" & integer'image(c));\n      writeline(output, o);\n    end if;\n    wait;\n"
    << "  end process;\nend architecture sim;\n";
  return v.str();
}

// Random inputs through the netlist: one trace line a clock.
std::vector<std::string> Trace(const Netlist& nl, int clocks) {
  Simulator sim(nl);
  std::mt19937_64 rng(24);
  std::vector<std::string> lines;
  for (int c = 0; c < clocks; ++c) {
    std::string line;
    for (const Port& port : nl.ports()) {
      if (port.output || port.node == nl.clock()) continue;
      std::uint64_t value = rng();
      if (port.name == "rst") value = c == 3 || rng() % 20 == 0;
      if (port.name == "ce") value = rng() % 5 != 0;
      if (port.name == "wide" && c % 3 == 0) value &= 0x000fffffffffffffULL;  // writes within the memory
      value &= port.bits() >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << port.bits()) - 1;
      sim.Set(port.name, value);
      line += Bits(value, port.bits()) + ' ';
    }
    for (const Port& port : nl.ports()) {
      if (port.output) line += Bits(sim.Get(port.name), port.bits()) + ' ';
    }
    lines.push_back(line);
    sim.Step();
  }
  return lines;
}

using testing::RunTool;

TEST(VhdlBackEndTest, EveryOperationMatchesTheNetlistAtEveryClockInGhdl) {
  const Netlist nl = EveryOperation();
  const std::string vhdl = PrintVhdl(nl, "every operation");
  // One declaration per name, case ignored, none of them a reserved word.
  for (const char* name : {"w_Foo : ", "w_foo_2 : ", "w_a_b : ", "w_signal : ", "w_in : ", "r_X : ", "r_x_2 : ", "w_sub_q : ", "w_sub_q_2 : ", "sub : entity work.Sub_Acc",
                           "mem_ram : ", "mem_Ram_2 : ", "constant mem_inverse : "}) {
    EXPECT_NE(vhdl.find(name), std::string::npos) << name << "\n" << vhdl;
  }
  EXPECT_EQ(vhdl.find("__"), std::string::npos);
  EXPECT_EQ(vhdl.find("spare"), vhdl.find("spare : in"));  // declared, never read

  char pattern[] = "/tmp/codexel-vhdl-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;
  std::ofstream(dir / "every_op.vhd") << vhdl;
  std::ofstream(dir / "sub_acc.vhd") << PrintVhdl(*nl.instances().front().module);
  std::ofstream(dir / "replay.vhd") << ReplayBench(nl);
  const std::vector<std::string> lines = Trace(nl, 400);
  {
    std::ofstream trace(dir / "trace.txt");
    for (const std::string& line : lines) trace << line << '\n';
  }
  for (const char* standard : {"--std=93c", "--std=08"}) {
    const std::string s = standard;
    const std::string log = RunTool(dir, "rm -f *.cf && ghdl -a " + s + " sub_acc.vhd every_op.vhd replay.vhd && ghdl -e " + s +
                                         " replay && ghdl -r " + s + " replay");
    EXPECT_EQ(log, "PASS 400\n") << standard;
  }
  fs::remove_all(dir);
}

// Only a netlist whose outputs come from its state can be a sub-module.
TEST(VhdlBackEndTest, CombinationalPathsDecideWhatMayBeInstantiated) {
  const auto every = std::make_shared<const Netlist>(EveryOperation());
  const auto paths = CombinationalPaths(*every);
  const auto has = [&](const char* in, const char* out) {
    return std::find(paths.begin(), paths.end(), std::pair<std::string, std::string>(in, out)) != paths.end();
  };
  EXPECT_TRUE(has("a", "o_logic"));
  EXPECT_TRUE(has("wide", "o_lt64"));
  EXPECT_FALSE(has("a", "o_data"));  // through a register
  EXPECT_FALSE(has("a", "o_mem"));   // through a memory's registered read
  EXPECT_TRUE(has("b", "o_sub"));
  EXPECT_FALSE(has("a", "o_sub"));   // through the instance
  EXPECT_TRUE(CombinationalPaths(*Accumulator()).empty());
  Netlist top("top", Field{5, 37});
  top.SetClock(top.Input("clk"));
  EXPECT_THROW(top.Instantiate("every", every), std::logic_error);
  const int sub = top.Instantiate("sub", Accumulator());
  EXPECT_THROW(top.Connect(sub, "clk", top.One()), std::logic_error);  // its clock is the netlist's
  EXPECT_THROW(top.Connect(sub, "d", top.One()), std::logic_error);    // of the wrong width
  top.Output("q", top.InstanceOutput(sub, "q"), 5, 1);
  EXPECT_THROW(top.Check(), std::logic_error);  // its inputs open
}

struct NameCase {
  const char* name;
  const char* problem;  // part of the reason; empty when the name is good
};

class VhdlNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(VhdlNameTest, OnlyBasicIdentifiersThatAreNoReservedWordOrPort) {
  const std::vector<Port> ports = {{"rsin", false, 4, 1, -1}, {"rsout", true, 4, 1, -1}};
  const auto problem = VhdlNameProblem(GetParam().name, ports);
  if (std::string(GetParam().problem).empty()) {
    EXPECT_FALSE(problem) << *problem;
  } else {
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find(GetParam().problem), std::string::npos) << *problem;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, VhdlNameTest,
    ::testing::Values(NameCase{"rs", ""}, NameCase{"RS_core_2", ""}, NameCase{"rsin_x", ""},
                      NameCase{"2rs", "must begin with a letter"}, NameCase{"_rs", "must begin with a letter"},
                      NameCase{"rs_", "single '_'"}, NameCase{"rs__core", "single '_'"},
                      NameCase{"rs$", "single '_'"}, NameCase{"", "must begin"},
                      NameCase{"Entity", "reserved word"}, NameCase{"XNOR", "reserved word"},
                      NameCase{"vunit", "reserved word"}, NameCase{"protected", "reserved word"},
                      NameCase{"Unsigned", "the core itself uses"}, NameCase{"RSIN", "(rsin; VHDL ignores case)"},
                      NameCase{"rsout", "one of the core's ports"}));

}  // namespace
}  // namespace codexel::hdl
