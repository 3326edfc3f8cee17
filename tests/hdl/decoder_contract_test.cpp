// The decoders against their data sheet. For each code and each of the
// eight variants, random traffic (errors and erasures within and beyond
// capacity, bypassed codewords, dsout stalls, garbage at idle and skipped
// edges, a reset with codewords in flight, starts as close as the core
// allows) runs through the netlist, and every codeword that comes out is
// checked against the contract. The same inputs are then replayed on the
// printed Verilog in Icarus Verilog and on the printed VHDL in GHDL (as
// VHDL-93 and VHDL-2008 by turns), which must show the very outputs at
// every clock; Verilator must find nothing to say, and Yosys no latch.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "hdl/rs_core.h"
#include "hdl/decoder_plan.h"
#include "hdl/simulator.h"
#include "hdl/verilog.h"
#include "hdl/vhdl.h"
#include "rs_engine/rs_engine.h"
#include "tests/support/parameter_sets.h"
#include "tests/support/run_tool.h"

extern "C" {
#include <fec.h>  // a C library without C++ guards
}

namespace codexel::hdl {
namespace {

namespace fs = std::filesystem;

struct Case {
  int m, n, r, irrpol, genstart;
  int words;        // codewords per variant
  bool synthesize;  // Yosys too (small codes only: it takes minutes for large ones)
};

std::vector<Port> DecoderPorts(const RsParameters& p) {
  std::vector<Port> ports;
  if (p.Eras_Stnd == 1) ports.push_back({"eras_ind", false, 0, 0, -1});
  const int w = BitsFor(p.r);
  for (const Port& port : std::vector<Port>{{"sysclk", false, 0, 0, -1}, {"reset", false, 0, 0, -1},
                                             {"rsin", false, p.m, 1, -1}, {"rsout", true, p.m, 1, -1},
                                             {"dsin", false, 0, 0, -1}, {"dsout", false, 0, 0, -1},
                                             {"rdyin", true, 0, 0, -1}, {"outvalid", true, 0, 0, -1},
                                             {"decfail", true, 0, 0, -1}, {"bypass", false, 0, 0, -1},
                                             {"numerr", true, w, 1, -1}}) {
    ports.push_back(port);
  }
  return ports;
}

// One clock of the replay: inputs in bits 0..12, outputs from bit 16.
std::uint64_t Pack(int rsin, bool dsin, bool dsout, bool bypass, bool erased, bool reset) {
  return static_cast<std::uint64_t>(rsin) | std::uint64_t{dsin} << 8 | std::uint64_t{dsout} << 9 |
         std::uint64_t{bypass} << 10 | std::uint64_t{erased} << 11 | std::uint64_t{reset} << 12;
}

struct Sent {
  std::vector<int> codeword, received, erased;  // c[0..n-1]
  std::vector<int> judged;              // within capacity: as the other decoder corrects it
  int changed = 0;                      // symbols the errors and erasures altered
  bool within = false, bypass = false;
  long last_edge = 0;  // counted in edges the core takes (dsout high)
};

// A Reed-Solomon decoder no one here wrote, for the same code: its data[0]
// is the first symbol sent, c[n-1], and erasure positions index data. Asked
// only within capacity: beyond it, it returns words outside the decoding
// radius, and given more than r erasures it writes past its own arrays.
class OtherDecoder {
 public:
  explicit OtherDecoder(const RsParameters& p)
      : n_(p.n), r_(p.r), rs_(init_rs_int(p.m, p.irrpol, p.genstart, 1, p.r, (1 << p.m) - 1 - p.n)) {}
  ~OtherDecoder() {
    if (rs_) free_rs_int(rs_);
  }
  OtherDecoder(const OtherDecoder&) = delete;
  OtherDecoder& operator=(const OtherDecoder&) = delete;
  bool ready() const { return rs_ != nullptr; }

  // c[0..n-1] as corrected, or empty where it reports a failure.
  std::vector<int> Correct(const std::vector<int>& received, const std::vector<int>& erased) const {
    std::vector<unsigned int> data(static_cast<std::size_t>(n_));
    std::vector<int> positions;
    for (int i = 0; i < n_; ++i) {
      const std::size_t j = static_cast<std::size_t>(n_ - 1 - i);
      data[static_cast<std::size_t>(i)] = static_cast<unsigned int>(received[j]);
      if (erased[j]) positions.push_back(i);
    }
    const int count = static_cast<int>(positions.size());
    positions.resize(static_cast<std::size_t>(r_));  // it puts the positions it corrected here
    if (decode_rs_int(rs_, data.data(), positions.data(), count) < 0) return {};
    return std::vector<int>(data.rbegin(), data.rend());
  }

 private:
  int n_, r_;
  void* rs_;
};

class Traffic {
 public:
  Traffic(const RsParameters& p, const Netlist& nl, unsigned seed)
      : p_(p), plan_(PlanDecoder(p)), engine_(p), other_(p), sim_(nl), rng_(seed) {
    engine_.build_alog();
    engine_.build_gg();
    if (!other_.ready()) Problem("the other decoder does not take this code");
  }

  // Runs `words` codewords through; returns the problems found.
  std::vector<std::string> Run(int words) {
    Clock(false, true, 0, false, false, true);
    bool dsin = false;
    int remaining = 0, sent_count = 0, idle = 0;
    Sent current;
    // Every full-speed streaming decoder, and others whose interval is n.
    const bool always_ready = plan_.interval <= p_.n;
    const long limit = 2L * (words + 1) * (plan_.interval + plan_.delay + p_.n) + 100;
    bool was_reset = false;
    while (edge_ < limit && (sent_count < words || !queue_.empty() || remaining)) {
      // Once, halfway: a reset drops every codeword in flight.
      if (!was_reset && sent_count > words / 2 && !queue_.empty()) {
        was_reset = true;
        Clock(false, true, 0, false, false, true);
        queue_.clear();
        out_.clear();
        last_start_ = -1;
        remaining = 0;
        dsin = false;
        idle = 0;
        continue;
      }
      const bool stall = Chance(0.05);
      bool starting = false;
      int symbol = 0;
      bool erase = false;
      if (!stall && remaining == 0 && sent_count < words) {
        const bool ready = sim_.Get("rdyin");
        // Full speed streaming: a start every n + 1 clocks (sometimes n);
        // the others when ready, and now and then a rise the core must
        // ignore because it is not.
        if (!dsin && ready && (always_ready || idle > 0)) {
          current = NewWord();
          queue_.push_back(current);
          remaining = p_.n;
          ++sent_count;
          dsin = true;
          starting = true;
          // Back to back: at the interval the header states, to the edge.
          if (last_start_ >= 0 && taken_ - last_start_ == plan_.interval) ++at_interval_;
        } else if (!dsin && !ready && Chance(0.02)) {
          dsin = true;  // ignored: garbage that must never come out
        } else {
          dsin = false;
        }
        idle = dsin ? 0 : idle + 1;
      }
      // n apart: dsin already low with the last symbol.
      if (always_ready && remaining == 1 && (sent_count < 4 || Chance(0.5))) dsin = false;
      if (remaining > 0 && !stall) {
        const int index = remaining - 1;  // c[n-1] first
        symbol = current.received[static_cast<std::size_t>(index)];
        erase = current.erased[static_cast<std::size_t>(index)] != 0;
      } else {  // idle or skipped: garbage the core must ignore
        symbol = static_cast<int>(rng_() % (1u << p_.m));
        erase = Chance(0.5);
      }
      const bool bypass = remaining == p_.n ? current.bypass : Chance(0.5);
      Clock(dsin, !stall, symbol, bypass, erase, false);
      if (starting) last_start_ = taken_ - 1;
      if (!stall && remaining > 0 && --remaining == 0) queue_.back().last_edge = taken_ - 1;
    }
    if (sent_count < words || !queue_.empty()) Problem("not every codeword came out");
    // Most starts follow the one before at the interval itself (at an
    // interval of n the first few, then half, as the traffic also leaves a
    // gap).
    if (always_ready ? at_interval_ == 0 : 2 * at_interval_ < words - 3) {
      Problem("only " + std::to_string(at_interval_) + " of " + std::to_string(words) +
              " codewords started at the interval");
    }
    return problems_;
  }

  const std::vector<std::uint64_t>& trace() const { return trace_; }

 private:
  bool Chance(double p) { return std::uniform_real_distribution<>(0, 1)(rng_) < p; }
  void Problem(const std::string& text) {
    if (problems_.size() < 8) problems_.push_back("edge " + std::to_string(edge_) + ": " + text);
  }

  Sent NewWord() {
    const int size = 1 << p_.m;
    const int k = p_.n - p_.r;
    for (int i = 0; i < k; ++i) engine_.msg[static_cast<std::size_t>(i)] = static_cast<int>(rng_() % size);
    engine_.encode();
    Sent s;
    s.codeword.assign(engine_.cw.begin(), engine_.cw.begin() + p_.n);
    s.received = s.codeword;
    std::vector<int>& erased = s.erased;
    erased.assign(static_cast<std::size_t>(p_.n), 0);
    const bool erasures = p_.Eras_Stnd == 1;
    int flagged = erasures ? static_cast<int>(rng_() % (p_.r + 1)) : 0;
    int errors = 0;
    switch (rng_() % 5) {
      case 0: flagged = 0; break;  // clean
      case 3: errors = (p_.r - flagged) / 2 + 1 + static_cast<int>(rng_() % 3); break;  // beyond
      case 4: flagged = erasures ? p_.r + 1 + static_cast<int>(rng_() % 3) : 0; break;  // too many
      default: errors = static_cast<int>(rng_() % ((p_.r - flagged) / 2 + 1));
    }
    std::vector<int> where(static_cast<std::size_t>(p_.n));
    for (int i = 0; i < p_.n; ++i) where[static_cast<std::size_t>(i)] = i;
    std::shuffle(where.begin(), where.end(), rng_);
    for (int t = 0; t < std::min(flagged + errors, p_.n); ++t) {
      const std::size_t at = static_cast<std::size_t>(where[static_cast<std::size_t>(t)]);
      if (t < flagged) erased[at] = 1;
      if (t >= flagged || Chance(0.5)) {
        s.received[at] ^= 1 + static_cast<int>(rng_() % (size - 1));
        ++s.changed;
      }
    }
    s.within = 2 * errors + flagged <= p_.r;
    s.bypass = Chance(0.1);
    if (s.within) s.judged = other_.Correct(s.received, s.erased);
    return s;
  }

  bool IsCodeword(const std::vector<int>& word) const {
    for (int j = 0; j < p_.r; ++j) {
      const int root = engine_.alog[static_cast<std::size_t>((p_.genstart + j) % ((1 << p_.m) - 1))];
      int sum = 0;
      for (int i = p_.n - 1; i >= 0; --i) sum = engine_.gfmul(sum, root) ^ word[static_cast<std::size_t>(i)];
      if (sum) return false;
    }
    return true;
  }

  // One clock: inputs set, outputs sampled and checked, then the edge.
  void Clock(bool dsin, bool dsout, int rsin, bool bypass, bool erased, bool reset) {
    sim_.Set("dsin", dsin);
    sim_.Set("dsout", dsout);
    sim_.Set("rsin", static_cast<std::uint64_t>(rsin));
    sim_.Set("bypass", bypass);
    if (p_.Eras_Stnd == 1) sim_.Set("eras_ind", erased);
    sim_.Set("reset", reset);
    const auto rsout = sim_.Get("rsout"), valid = sim_.Get("outvalid"), fail = sim_.Get("decfail"),
               ready = sim_.Get("rdyin"), numerr = sim_.Get("numerr");
    // Ready exactly from the interval after the last start on (always, for
    // an interval of n): a codeword started at the figure the header states
    // is never refused.
    const bool allowed = plan_.interval <= p_.n || last_start_ < 0 || taken_ - last_start_ >= plan_.interval;
    if (!reset && (ready != 0) != allowed) {
      Problem(std::string("rdyin ") + (ready ? "high" : "low") + " " + std::to_string(taken_ - last_start_) +
              " edges after a start, the interval " + std::to_string(plan_.interval));
    }
    trace_.push_back(Pack(rsin, dsin, dsout, bypass, erased, reset) | rsout << 16 | valid << 24 |
                     fail << 25 | ready << 26 | numerr << 32);
    if (dsout && !reset) Observe(valid != 0, static_cast<int>(rsout), static_cast<int>(numerr), fail != 0);
    sim_.Step();
    ++edge_;
    if (dsout || reset) ++taken_;
  }

  void Observe(bool valid, int symbol, int numerr, bool fail) {
    if (!valid) {
      if (symbol != 0 || numerr != 0 || fail) Problem("rsout, numerr or decfail not 0 while outvalid is low");
      if (!out_.empty()) Problem("outvalid fell inside a codeword");
      out_.clear();
      return;
    }
    if (out_.empty()) {
      out_numerr_ = numerr;
      out_fail_ = fail;
      if (queue_.empty()) return Problem("a codeword came out that was never taken");
      const long waited = taken_ - queue_.front().last_edge;
      // The first symbol is loaded `latency` edges after the last one was
      // taken and sampled at the next edge.
      if (waited != plan_.latency + 1) Problem("latency " + std::to_string(waited - 1) + ", not the plan's");
      if (waited + 1 > plan_.latency_bound) Problem("latency " + std::to_string(waited) + " over the bound");
    } else if (numerr != out_numerr_ || fail != out_fail_) {
      Problem("numerr or decfail changed inside a codeword");
    }
    out_.push_back(symbol);
    if (static_cast<int>(out_.size()) < p_.n) return;
    const Sent s = queue_.front();
    queue_.pop_front();
    std::vector<int> word(out_.rbegin(), out_.rend());
    out_.clear();
    // Changes, and the radius they use: 2 per unflagged change, 1 per erasure.
    int differ = 0, radius = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
      differ += word[i] != s.received[i];
      radius += s.erased[i] ? 1 : 2 * (word[i] != s.received[i]);
    }
    if (s.bypass || out_fail_) {
      if (word != s.received || out_numerr_ != 0) Problem("a bypassed or failed codeword was altered");
      if (s.bypass && out_fail_) Problem("decfail on a bypassed codeword");
      if (!s.bypass && s.within) Problem("decfail within capacity");
    } else if (s.within) {
      if (word != s.codeword || out_numerr_ != s.changed) {
        Problem("not corrected: numerr " + std::to_string(out_numerr_) + ", changed " + std::to_string(s.changed));
      }
      if (word != s.judged) Problem("not as the other decoder corrects it");
    } else if (!IsCodeword(word) || out_numerr_ != differ || radius > p_.r) {
      Problem("beyond capacity: no codeword, or numerr " + std::to_string(out_numerr_) + " for " +
              std::to_string(differ) + " changes");
    }
  }

  RsParameters p_;
  DecoderPlan plan_;
  RsEngine engine_;
  OtherDecoder other_;
  Simulator sim_;
  std::mt19937 rng_;
  std::deque<Sent> queue_;
  std::vector<int> out_;
  int out_numerr_ = 0;
  bool out_fail_ = false;
  long edge_ = 0;
  long taken_ = 0;  // edges with dsout high: the core's clocks
  long last_start_ = -1;  // the edge that took the last codeword's first symbol
  int at_interval_ = 0;   // codewords started at the interval after the one before
  std::vector<std::string> problems_;
  std::vector<std::uint64_t> trace_;
};

// Replays a trace on the printed design; PASS when every output matches.
std::string ReplayBench(const RsParameters& p, std::size_t clocks) {
  const int w = BitsFor(p.r);
  const bool erasures = p.Eras_Stnd == 1;
  std::ostringstream v;
  v << "`timescale 1ns / 1ps\nmodule replay;\n"
    << "  reg sysclk = 0, reset = 0, dsin = 0, dsout = 1, bypass = 0, eras_ind = 0;\n"
    << "  reg [" << p.m << ":1] rsin = 0;\n  wire [" << p.m << ":1] rsout;\n"
    << "  wire rdyin, outvalid, decfail;\n  wire [" << w << ":1] numerr;\n"
    << "  reg [63:0] trace [0:" << clocks - 1 << "];\n  reg [63:0] t;\n  integer c, errors;\n"
    << "  dut core (" << (erasures ? ".eras_ind(eras_ind), " : "")
    << ".sysclk(sysclk), .reset(reset), .rsin(rsin), .rsout(rsout), .dsin(dsin), .dsout(dsout),"
    << " .rdyin(rdyin), .outvalid(outvalid), .decfail(decfail), .bypass(bypass), .numerr(numerr));\n"
    << "  initial begin\n    $readmemh(\"trace.hex\", trace);\n    errors = 0;\n"
    << "    for (c = 0; c < " << clocks << "; c = c + 1) begin\n      t = trace[c];\n"
    << "      rsin = t[" << p.m - 1 << ":0]; dsin = t[8]; dsout = t[9]; bypass = t[10];"
    << " eras_ind = t[11]; reset = t[12];\n      #4;\n"
    << "      if (rsout !== t[" << 16 + p.m - 1 << ":16] || outvalid !== t[24] || decfail !== t[25] ||"
    << " rdyin !== t[26] || numerr !== t[" << 32 + w - 1 << ":32]) begin\n"
    << "        if (errors == 0) $display(\"FAIL clock %0d: rsout %0d outvalid %0d decfail %0d rdyin %0d"
    << " numerr %0d, expected %h\", c, rsout, outvalid, decfail, rdyin, numerr, t);\n"
    << "        errors = errors + 1;\n      end\n      #1 sysclk = 1;\n      #5 sysclk = 0;\n    end\n"
    << "    if (errors == 0) $display(\"PASS %0d\", c);\n    $finish;\n  end\nendmodule\n";
  return v.str();
}

// The same replay in VHDL: the trace read from trace.txt, one clock a line
// (inputs as packed, rsout, outvalid | decfail << 1 | rdyin << 2, numerr).
std::string VhdlReplayBench(const RsParameters& p) {
  const int w = BitsFor(p.r);
  std::ostringstream v;
  v << "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\nuse std.textio.all;\n\n"
    << "entity replay is\nend entity replay;\n\narchitecture sim of replay is\n"
    << "  signal sysclk, reset, dsin, bypass, eras_ind : std_logic := '0';\n  signal dsout : std_logic := '1';\n"
    << "  signal rsin : std_logic_vector(" << p.m << " downto 1) := (others => '0');\n"
    << "  signal rsout : std_logic_vector(" << p.m << " downto 1);\n"
    << "  signal rdyin, outvalid, decfail : std_logic;\n  signal numerr : std_logic_vector(" << w << " downto 1);\n"
    << "  function bits(v : std_logic_vector) return string is\n"
    << "    variable s : string(1 to v'length);\n    variable k : natural := 1;\n  begin\n"
    << "    for i in v'range loop\n      s(k) := std_logic'image(v(i))(2);\n      k := k + 1;\n    end loop;\n"
    << "    return s;\n  end function bits;\nbegin\n"
    << "  core : entity work.dut port map (" << (p.Eras_Stnd == 1 ? "eras_ind => eras_ind, " : "")
    << "sysclk => sysclk, reset => reset, rsin => rsin, rsout => rsout, dsin => dsin, dsout => dsout,"
    << " rdyin => rdyin, outvalid => outvalid, decfail => decfail, bypass => bypass, numerr => numerr);\n"
    << "  process\n    file trace : text open read_mode is \"trace.txt\";\n    variable l, o : line;\n"
    << "    variable inputs, symbol, flags, count : integer;\n    variable c, errors : natural := 0;\n"
    << "    variable i : unsigned(12 downto 0);\n    variable f : std_logic_vector(2 downto 0);\n  begin\n"
    << "    while not endfile(trace) loop\n"
    << "      readline(trace, l);\n      read(l, inputs);\n      read(l, symbol);\n      read(l, flags);\n"
    << "      read(l, count);\n      i := to_unsigned(inputs, 13);\n"
    << "      rsin <= std_logic_vector(i(" << p.m - 1 << " downto 0));\n      dsin <= i(8);\n      dsout <= i(9);\n"
    << "      bypass <= i(10);\n      eras_ind <= i(11);\n      reset <= i(12);\n      wait for 4 ns;\n"
    << "      f := std_logic_vector(to_unsigned(flags, 3));\n"
    << "      if rsout /= std_logic_vector(to_unsigned(symbol, " << p.m << ")) or outvalid /= f(0) or"
    << " decfail /= f(1) or rdyin /= f(2) or numerr /= std_logic_vector(to_unsigned(count, " << w << ")) then\n"
    << "        if errors = 0 then\n"
    << "          write(o, \"FAIL clock \" & integer'image(c) & \": rsout \" & bits(rsout) & \" outvalid \" &\n"
    << "                   bits((0 => outvalid)) & \" decfail \" & bits((0 => decfail)) & \" rdyin \" &\n"
    << "                   bits((0 => rdyin)) & \" numerr \" & bits(numerr) & \", expected \" &\n"
    << "                   integer'image(symbol) & \" \" & integer'image(flags) & \" \" & integer'image(count));\n"
    << "          writeline(output, o);\n        end if;\n        errors := errors + 1;\n      end if;\n"
    << "      wait for 1 ns;\n      sysclk <= '1';\n      wait for 5 ns;\n      sysclk <= '0';\n      c := c + 1;\n"
    << "    end loop;\n    if errors = 0 then\n      write(o, \"PASS \" & integer'image(c));\n"
    << "      writeline(output, o);\n    end if;\n    wait;\n  end process;\nend architecture sim;\n";
  return v.str();
}

using testing::RunTool;

// GHDL replays every code, or with CODEXEL_HDL_SMALLEST_ONLY set (the
// sanitizer pass) only those of the smallest field.
bool GhdlReplayWanted(const Case& c) { return c.m == 4 || !std::getenv("CODEXEL_HDL_SMALLEST_ONLY"); }

class DecoderContract : public ::testing::TestWithParam<Case> {};

TEST_P(DecoderContract, EveryVariantMeetsItsDataSheetInIcarusAndGhdl) {
  const Case c = GetParam();
  char pattern[] = "/tmp/codexel-hdl-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;
  for (int variant = 0; variant < 8; ++variant) {
    const testing::DecoderChoice choice{variant & 1, (variant >> 1) & 1, (variant >> 2) & 1};
    const RsParameters p =
        testing::AsDecoder(testing::Code(c.m, c.n, c.r, c.irrpol, c.genstart), choice);
    SCOPED_TRACE("erasures " + std::to_string(choice.eras) + ", discrete " + std::to_string(choice.discrete) +
                 ", full " + std::to_string(choice.full));
    const Netlist nl = BuildDecoder("dut", p, DecoderPorts(p));
    Traffic traffic(p, nl, static_cast<unsigned>(variant * 7919 + c.n));
    const std::vector<std::string> problems = traffic.Run(c.words);
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
    if (!problems.empty()) continue;

    std::ofstream(dir / "dut.v") << PrintVerilog(nl);
    std::ofstream(dir / "replay.v") << ReplayBench(p, traffic.trace().size());
    {
      std::ofstream hex(dir / "trace.hex");
      for (std::uint64_t word : traffic.trace()) hex << std::hex << word << '\n';
    }
    const std::string sim = RunTool(dir, "iverilog -g2005 -o replay.vvp dut.v replay.v && vvp -n replay.vvp");
    EXPECT_NE(sim.find("PASS "), std::string::npos) << sim;
    if (GhdlReplayWanted(c)) {
      std::ofstream(dir / "dut.vhd") << PrintVhdl(nl);
      std::ofstream(dir / "replay.vhd") << VhdlReplayBench(p);
      {
        std::ofstream text(dir / "trace.txt");
        for (std::uint64_t t : traffic.trace()) {
          text << (t & 0x1fff) << ' ' << ((t >> 16) & 0xff) << ' ' << ((t >> 24) & 7) << ' ' << (t >> 32) << '\n';
        }
      }
      const std::string standard = variant % 2 ? "--std=08" : "--std=93c";
      const std::string vhdl = RunTool(dir, "ghdl -a " + standard + " dut.vhd replay.vhd && ghdl -e " + standard +
                                                " replay && ghdl -r " + standard + " replay");
      EXPECT_EQ(vhdl.rfind("PASS " + std::to_string(traffic.trace().size()), 0), 0u) << vhdl;
    }
    const std::string lint = RunTool(dir, "verilator --lint-only -Wall dut.v");
    EXPECT_EQ(lint, "") << lint;
    if (c.synthesize) {
      const std::string synth =
          RunTool(dir, "yosys -q -p 'synth_ice40 -top dut; select -assert-none t:$_DLATCH* t:$dlatch*' dut.v");
      EXPECT_EQ(synth, "") << synth;
    }
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, DecoderContract,
    ::testing::Values(Case{4, 15, 4, 19, 0, 24, true},    // full length, smallest field
                      Case{4, 7, 6, 25, 3, 24, false},    // short, second field polynomial
                      Case{5, 31, 8, 41, 5, 16, false},   //
                      Case{6, 40, 12, 67, 0, 12, false},  // short
                      Case{7, 127, 20, 137, 1, 8, false}, // full length
                      Case{8, 204, 16, 285, 0, 8, false}, // DVB
                      Case{8, 60, 50, 285, 200, 6, false}, // most check symbols, late roots
                      Case{8, 255, 50, 301, 2, 4, false},
                      // Both sides of plan boundaries (r 8), which move with
                      // the time c leaves: two multipliers or one, forwarded
                      // updates or a clock's wait, bounded sweeps with Lambda
                      // and B in memory copies or full ones (discrete: 9 | 10
                      // | 11, 15 | 16, 22 | 23 | 24, 25 | 26 | 27, 38 | 39);
                      // the parallel solver or a folded one, a codeword every
                      // n clocks or more (half-speed streaming: 15 | 16, 22 |
                      // 23 | 24, 29 | 30, 61 | 62; full: 30 | 31); sweeps
                      // over every group or bounded (47 | 48); one or two
                      // Chien positions a clock (55 | 56, 60 | 61).
                      Case{4, 9, 8, 19, 1, 6, false}, Case{4, 11, 8, 25, 0, 6, false},
                      Case{4, 15, 8, 19, 2, 6, false}, Case{5, 16, 8, 37, 0, 6, false},
                      Case{5, 22, 8, 41, 3, 6, false}, Case{5, 23, 8, 47, 0, 6, false},
                      Case{5, 24, 8, 55, 1, 6, false}, Case{5, 25, 8, 59, 0, 6, false},
                      Case{5, 26, 8, 61, 4, 6, false}, Case{5, 27, 8, 61, 3, 6, false},
                      Case{5, 29, 8, 37, 2, 6, false}, Case{5, 30, 8, 37, 0, 6, false},
                      Case{6, 38, 8, 97, 0, 6, false},
                      Case{6, 39, 8, 109, 4, 6, false}, Case{6, 47, 8, 115, 1, 6, false},
                      Case{6, 48, 8, 97, 0, 6, false}, Case{6, 55, 8, 91, 3, 6, false},
                      Case{6, 56, 8, 103, 1, 6, false}, Case{6, 60, 8, 67, 0, 6, false},
                      Case{6, 61, 8, 109, 2, 6, false}, Case{6, 62, 8, 115, 0, 6, false}));

// The folded solver's time with s erasures flagged, watched in the simulated
// core: its sequencing ends (the Omega sweeps' flag falls) when the plan says
// for every s, and the Chien pass is started when the longest would end.
class SolveTiming : public ::testing::TestWithParam<Case> {};

TEST_P(SolveTiming, TheSolveEndsWhenThePlanSaysForEveryErasureCount) {
  const Case c = GetParam();
  int folded = 0;
  for (int variant = 0; variant < 8; ++variant) {
    const testing::DecoderChoice choice{variant & 1, (variant >> 1) & 1, (variant >> 2) & 1};
    const RsParameters p = testing::AsDecoder(testing::Code(c.m, c.n, c.r, c.irrpol, c.genstart), choice);
    const DecoderPlan plan = PlanDecoder(p);
    if (!plan.folded) continue;
    ++folded;
    const Netlist nl = BuildDecoder("dut", p, DecoderPorts(p));
    const std::string done_register = plan.erasures ? "solve_done" : "solver_done";
    for (int s = 0; s <= (plan.erasures ? c.r : 0); ++s) {
      SCOPED_TRACE("erasures " + std::to_string(choice.eras) + ", discrete " + std::to_string(choice.discrete) +
                   ", full " + std::to_string(choice.full) + ", s " + std::to_string(s));
      Simulator sim(nl);
      sim.Set("dsout", 1);
      sim.Set("reset", 1);
      sim.Step();
      sim.Set("reset", 0);
      for (int i = 0; i < c.n; ++i) {  // the zero codeword, its first s symbols flagged
        sim.Set("dsin", 1);
        if (plan.erasures) sim.Set("eras_ind", i < s);
        sim.Step();
      }
      sim.Set("dsin", 0);
      if (plan.erasures) sim.Set("eras_ind", 0);
      // Counted in edges from the one that took the last symbol.
      int ended = -1, done = -1;
      bool evaluating = false;
      for (int edge = 1; edge <= plan.solver_start + plan.solver_clocks + 2 && done < 0; ++edge) {
        sim.Step();
        const bool now = sim.Peek("evaluating") != 0;
        if (evaluating && !now) ended = edge;
        evaluating = now;
        if (sim.Peek(done_register) != 0) done = edge;
      }
      EXPECT_EQ(ended, plan.solver_start + SolverClocks(plan, s));
      EXPECT_EQ(done, plan.solver_start + plan.solver_clocks);
    }
  }
  EXPECT_GT(folded, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, SolveTiming,
                         ::testing::Values(Case{4, 15, 4, 19, 0, 0, false}, Case{5, 27, 8, 61, 3, 0, false},
                                           Case{6, 39, 8, 109, 4, 0, false}, Case{6, 43, 8, 91, 0, 0, false},
                                           Case{6, 54, 8, 103, 0, 0, false}, Case{8, 204, 16, 285, 0, 0, false},
                                           Case{8, 255, 50, 301, 2, 0, false}));

}  // namespace
}  // namespace codexel::hdl
