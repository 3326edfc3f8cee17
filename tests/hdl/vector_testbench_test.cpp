// The vector file reader on the files the wizard writes and on broken ones,
// and the decoder's testbench checker, in Icarus Verilog and in GHDL, against
// a stand-in decoder that echoes what it takes.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "hdl/design_files.h"
#include "hdl/testbench.h"
#include "hdl/vector_file.h"
#include "hdl/vhdl.h"
#include "rs_engine/rs_files.h"
#include "tests/support/parameter_sets.h"

namespace codexel::hdl {
namespace {

using Words = std::vector<std::vector<std::uint64_t>>;


TEST(VectorFileTest, ReadsTheFilesTheWizardWrites) {
  const RsParameters code = testing::Code(4, 7, 4, 19);
  const VectorFile encoder = ParseVectorFile(VectorText(code));
  EXPECT_EQ(encoder.stop, 1700);
  EXPECT_EQ(encoder.interval, 50);
  EXPECT_EQ(encoder.signals[static_cast<std::size_t>(encoder.Find("sysclk"))].repeating,
            (std::vector<std::uint64_t>{0, 1}));
  std::vector<std::uint64_t> expected;
  for (const Expectation& e : encoder.expectations) expected.push_back(e.value);
  EXPECT_EQ(expected, (std::vector<std::uint64_t>{0, 0, 2, 1, 0, 0, 6, 1, 4, 0}));
  EXPECT_EQ(encoder.expectations[2].time, 300);

  // The codewords the decoder files send, as a decoder takes them.
  const Words first = {{2, 1, 0, 0, 6, 1, 4}};
  EXPECT_EQ(DecoderCodewordsSent(ParseVectorFile(VectorText(testing::AsDecoder(code))), 7), first);
  const Words streamed = DecoderCodewordsSent(
      ParseVectorFile(VectorText(testing::AsDecoder(code, {0, 0, 1}))), 7);
  ASSERT_EQ(streamed.size(), 11U);  // five test messages, then six zero words
  EXPECT_EQ(streamed[0], first[0]);
  EXPECT_EQ(streamed[4], (std::vector<std::uint64_t>{1, 4, 0, 15, 7, 13, 0}));
  EXPECT_EQ(streamed[10], std::vector<std::uint64_t>(7, 0));
}

struct BrokenFile {
  const char* text;
  const char* error;
};

class BrokenVectorFileTest : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(BrokenVectorFileTest, IsRefusedWithTheLine) {
  try {
    ParseVectorFile(GetParam().text);
    ADD_FAILURE() << "accepted";
  } catch (const VectorFileError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().error), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenVectorFileTest,
    ::testing::Values(
        BrokenFile{"INTERVAL 50;\n", "no STOP"},
        BrokenFile{"% open\nSTOP 5;", "line 1: a comment has no closing %"},
        BrokenFile{"STOP 5;\nPATTERN\n0> 1;", "line 2: PATTERN without INPUTS"},
        BrokenFile{"STOP 5;\nINPUTS a;\nPATTERN\n0 1;", "line 3: a repeating pattern needs an INTERVAL"},
        BrokenFile{"STOP 5;\nINPUTS a;\nPATTERN\n0> 2;", "line 4: expected a value, found '2'"},
        BrokenFile{"STOP 5;\nRADIX DEC;\nINPUTS a[3..0];\nPATTERN\n0> 16;", "does not fit 4 bits"},
        BrokenFile{"STOP 5;\nRADIX DEC;\nINPUTS a;\nPATTERN\n9> 1\n3> 0;", "line 6: the time 3 comes before"},
        BrokenFile{"STOP 5;\nINPUTS a;\nOUTPUTS a;", "both as input and as output"},
        BrokenFile{"STOP 5;\nINPUTS a;\nPATTERN\n0> 1;\nINPUTS a;\nPATTERN\n0> 0;", "driven by two patterns"},
        BrokenFile{"STOP 5;\nINPUTS a;\nPATTERN\n0> 1 = 1;", "no OUTPUTS declared"},
        BrokenFile{"STOP 99999999999999999999999;", "too large"},
        BrokenFile{"STOP 5;\nINPUTS a;\nPATTERN\n0> 1", "the file ends where"},
        BrokenFile{"STOP 5;\nWAIT 3;", "line 2: unknown statement WAIT"},
        BrokenFile{"STOP 5;\n\x01", "line 2: unexpected byte 1"}));

// A decoder that puts each codeword it takes out again, `delay` edges later,
// taking codewords as the decoder contract says; `fault` 1 flips a bit of
// every symbol, 2 never raises outvalid.
std::string EchoDecoder(int m, int n, int w, int fault) {
  const int delay = 2 * n + 3;
  std::ostringstream v;
  v << "`timescale 1ns / 1ps\nmodule echo (input sysclk, input reset, input [" << m
    << ":1] rsin, output [" << m << ":1] rsout,\n  input dsin, input dsout, output rdyin, output outvalid,"
    << " output decfail, input bypass, output [" << w << ":1] numerr);\n"
    << "  reg [8:0] left = 0;\n  reg was_low = 1'b1;\n  reg [" << delay - 1 << ":0] valid = 0;\n"
    << "  reg [" << m << ":1] line [0:" << delay - 1 << "];\n  integer i;\n"
    << "  wire take = left != 0 || (dsin && was_low);\n"
    << "  always @(posedge sysclk) begin\n    if (reset) begin\n      left <= 0;\n      was_low <= 1'b1;\n"
    << "      valid <= 0;\n    end else if (dsout) begin\n      was_low <= !dsin;\n"
    << "      if (left != 0) left <= left - 1'b1;\n      else if (take) left <= " << n - 1 << ";\n"
    << "      valid <= {valid[" << delay - 2 << ":0], take};\n      line[0] <= rsin;\n"
    << "      for (i = 1; i < " << delay << "; i = i + 1) line[i] <= line[i - 1];\n    end\n  end\n"
    << "  assign rsout = line[" << delay - 1 << "] ^ " << (fault == 1 ? 1 : 0) << ";\n"
    << "  assign outvalid = valid[" << delay - 1 << "] & " << (fault == 2 ? "1'b0" : "1'b1") << ";\n"
    << "  assign rdyin = 1'b1;\n  assign decfail = bypass & 1'b0;\n  assign numerr = 0;\nendmodule\n";
  return v.str();
}

// The same stand-in in VHDL.
std::string EchoDecoderVhdl(int m, int n, int w, int fault) {
  const int delay = 2 * n + 3;
  std::ostringstream v;
  v << "library ieee;\nuse ieee.std_logic_1164.all;\n\nentity echo is\n  port (sysclk, reset : in std_logic;"
    << " rsin : in std_logic_vector(" << m << " downto 1);\n    rsout : out std_logic_vector(" << m
    << " downto 1); dsin, dsout : in std_logic;\n    rdyin, outvalid, decfail : out std_logic; bypass : in std_logic;"
    << " numerr : out std_logic_vector(" << w << " downto 1));\nend entity echo;\n\n"
    << "architecture stand_in of echo is\n  type words is array (0 to " << delay - 1
    << ") of std_logic_vector(" << m << " downto 1);\n  signal line : words := (others => (others => '0'));\n"
    << "  signal valid : std_logic_vector(0 to " << delay - 1 << ") := (others => '0');\n"
    << "  signal left : natural := 0;\n  signal was_low : std_logic := '1';\n  signal take : std_logic;\nbegin\n"
    << "  take <= '1' when left /= 0 or (dsin = '1' and was_low = '1') else '0';\n"
    << "  process (sysclk)\n  begin\n    if rising_edge(sysclk) then\n      if reset = '1' then\n"
    << "        left <= 0;\n        was_low <= '1';\n        valid <= (others => '0');\n"
    << "      elsif dsout = '1' then\n        was_low <= not dsin;\n"
    << "        if left /= 0 then\n          left <= left - 1;\n        elsif take = '1' then\n          left <= "
    << n - 1 << ";\n        end if;\n        valid(0) <= take;\n        line(0) <= rsin;\n"
    << "        for i in 1 to " << delay - 1 << " loop\n          valid(i) <= valid(i - 1);\n"
    << "          line(i) <= line(i - 1);\n        end loop;\n      end if;\n    end if;\n  end process;\n"
    << "  rsout <= line(" << delay - 1 << ")(" << m << " downto 2) & (line(" << delay - 1 << ")(1) xor '"
    << (fault == 1 ? 1 : 0) << "');\n"
    << "  outvalid <= valid(" << delay - 1 << ") and '" << (fault == 2 ? 0 : 1) << "';\n"
    << "  rdyin <= '1';\n  decfail <= bypass and '0';\n  numerr <= (others => '0');\nend architecture stand_in;\n";
  return v.str();
}

// The last line the simulator prints for the echo decoder under the decoder
// file of `p`: Icarus Verilog, or GHDL as VHDL-93 or VHDL-2008.
std::string Simulate(const RsParameters& p, int fault, const std::string& language = "verilog") {
  const int w = NumerrWidth(p.r);
  const std::vector<Port> ports = {{"sysclk", false, 0, 0, -1}, {"reset", false, 0, 0, -1},
                                   {"rsin", false, p.m, 1, -1},  {"rsout", true, p.m, 1, -1},
                                   {"dsin", false, 0, 0, -1},    {"dsout", false, 0, 0, -1},
                                   {"rdyin", true, 0, 0, -1},    {"outvalid", true, 0, 0, -1},
                                   {"decfail", true, 0, 0, -1},  {"bypass", false, 0, 0, -1},
                                   {"numerr", true, w, 1, -1}};
  const VectorFile vectors = ParseVectorFile(VectorText(p));
  const auto dir = std::filesystem::temp_directory_path() /
                   ("codexel_echo_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                    "_" + std::to_string(p.Disc_Stream) + std::to_string(fault) + language);
  std::filesystem::create_directories(dir);
  const std::string d = dir.string();
  std::string command;
  if (language == "verilog") {
    std::ofstream(dir / "echo.v") << EchoDecoder(p.m, p.n, w, fault);
    std::ofstream(dir / "echo_tb.v") << PrintTestbench(
        "echo", ports, vectors, {DecoderOutputChecker(DecoderCodewordsSent(vectors, p.n), ports)});
    command = "cd '" + d + "' && iverilog -g2005 -o sim echo.v echo_tb.v > log 2>&1 && vvp -n sim > out 2>>log";
  } else {
    std::ofstream(dir / "echo.vhd") << EchoDecoderVhdl(p.m, p.n, w, fault);
    std::ofstream(dir / "echo_tb.vhd") << PrintVhdlTestbench("echo", ports, vectors,
                                                             DecoderCodewordsSent(vectors, p.n));
    const std::string standard = "--std=" + language;
    command = "cd '" + d + "' && ghdl -a " + standard + " echo.vhd echo_tb.vhd > log 2>&1 && ghdl -e " +
              standard + " echo_tb >> log 2>&1 && ghdl -r " + standard + " echo_tb > out 2>>log";
  }
  EXPECT_EQ(std::system(command.c_str()), 0) << d;
  std::ifstream in(dir / "out");
  std::string line, last;
  while (std::getline(in, line)) last = line;
  std::filesystem::remove_all(dir);
  return last;
}

TEST(DecoderCheckerTest, PassesAnEchoAndCatchesAFaultyOne) {
  for (const char* language : {"verilog", "93c", "08"}) {
    for (int discrete : {1, 0}) {
      SCOPED_TRACE(std::string(language) + (discrete ? " discrete" : " streaming"));
      const RsParameters p = testing::AsDecoder(testing::Code(4, 7, 4, 19), {0, discrete, 1});
      const std::size_t words = discrete ? 1 : 11;
      EXPECT_EQ(Simulate(p, 0, language), "PASS " + std::to_string(words * 7));
      EXPECT_EQ(Simulate(p, 1, language).rfind("FAIL time ", 0), 0U);
      EXPECT_NE(Simulate(p, 2, language).find("signal outvalid expected " + std::to_string(words) +
                                              " codewords got 0"),
                std::string::npos);
    }
  }
}

}  // namespace
}  // namespace codexel::hdl
