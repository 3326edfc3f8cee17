// The AXI4-Stream wrappers against the stream rules and their own cores.
// For the encoder and for decoders on both sides of the plans' boundaries
// (chosen by their plans, so that the choice follows the plans), random
// traffic runs through the wrapper's netlist in phases: everything held
// high, random tvalid and tready, tready toggling every clock, stalls as
// long as whole codewords, a status not taken for a while, and a reset with
// codewords in flight. Errors and erasures within and beyond capacity,
// bypassed codewords and misplaced tlast: every symbol and status that
// comes out is the core's own for the same codeword, and a monitor checks
// the stream rules at every clock, with every input changed within the
// clock to show that no output follows one. The same inputs are replayed
// on the printed Verilog in Icarus Verilog and on the printed VHDL in GHDL,
// whose outputs go through the same monitor and must equal the netlist's.
// A wrapper broken on purpose must be caught by the monitor.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "hdl/axis_wrapper.h"
#include "hdl/decoder_plan.h"
#include "hdl/rs_core.h"
#include "hdl/simulator.h"
#include "hdl/verilog.h"
#include "hdl/vhdl.h"
#include "rs_engine/rs_engine.h"
#include "tests/support/parameter_sets.h"
#include "tests/support/run_tool.h"

namespace codexel::hdl {
namespace {

namespace fs = std::filesystem;

std::vector<Port> CorePorts(const RsParameters& p) {
  if (p.Enc_Dec == 1) {
    return {{"start", false, 0, 0, -1}, {"enable", false, 0, 0, -1}, {"sysclk", false, 0, 0, -1},
            {"reset", false, 0, 0, -1}, {"rsin", false, p.m, 1, -1},   {"rsout", true, p.m, 1, -1}};
  }
  std::vector<Port> ports;
  if (p.Eras_Stnd == 1) ports.push_back({"eras_ind", false, 0, 0, -1});
  for (const Port& port : std::vector<Port>{{"sysclk", false, 0, 0, -1}, {"reset", false, 0, 0, -1},
                                             {"rsin", false, p.m, 1, -1}, {"rsout", true, p.m, 1, -1},
                                             {"dsin", false, 0, 0, -1}, {"dsout", false, 0, 0, -1},
                                             {"rdyin", true, 0, 0, -1}, {"outvalid", true, 0, 0, -1},
                                             {"decfail", true, 0, 0, -1}, {"bypass", false, 0, 0, -1},
                                             {"numerr", true, BitsFor(p.r), 1, -1}}) {
    ports.push_back(port);
  }
  return ports;
}

// ---- What the wrapper shows, clock by clock ----

// One clock: every port's value with the inputs as driven, and again with
// every input but the clock changed within the clock.
struct ClockRecord {
  std::vector<std::uint64_t> applied, jiggled;  // by port
};
using Trace = std::vector<ClockRecord>;

class Ports {
 public:
  explicit Ports(std::vector<Port> ports) : ports_(std::move(ports)) {}
  const std::vector<Port>& all() const { return ports_; }
  int operator[](const std::string& name) const {
    for (std::size_t i = 0; i < ports_.size(); ++i) {
      if (ports_[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  // Inputs but the clock, then outputs, each packed from bit 0 in port order.
  std::uint64_t Pack(const std::vector<std::uint64_t>& values, bool outputs) const {
    std::uint64_t word = 0;
    int at = 0;
    for (std::size_t i = 0; i < ports_.size(); ++i) {
      if (!Packed(i, outputs)) continue;
      word |= values[i] << at;
      at += ports_[i].bits();
    }
    return word;
  }
  void Unpack(std::uint64_t word, bool outputs, std::vector<std::uint64_t>& values) const {
    int at = 0;
    for (std::size_t i = 0; i < ports_.size(); ++i) {
      if (!Packed(i, outputs)) continue;
      values[i] = (word >> at) & ((std::uint64_t{1} << ports_[i].bits()) - 1);
      at += ports_[i].bits();
    }
  }
  bool Packed(std::size_t i, bool outputs) const { return ports_[i].output == outputs && ports_[i].name != "aclk"; }

 private:
  std::vector<Port> ports_;
};

// The stream rules at every clock: no output changes with an input within
// a clock; after a reset every tvalid is low; a tvalid high without tready
// stays high, with tdata and tlast as they were; tdata's bits above the
// symbol (and the status's between numerr and decfail) are 0.
std::vector<std::string> CheckProtocol(const Ports& ports, const RsParameters& p, const Trace& trace) {
  std::vector<std::string> problems;
  const auto problem = [&](std::size_t c, const std::string& text) {
    if (problems.size() < 8) problems.push_back("clock " + std::to_string(c) + ": " + text);
  };
  const int w = BitsFor(p.r);
  for (std::size_t c = 0; c < trace.size(); ++c) {
    const ClockRecord& now = trace[c];
    for (std::size_t i = 0; i < ports.all().size(); ++i) {
      if (ports.all()[i].output && now.applied[i] != now.jiggled[i]) {
        problem(c, ports.all()[i].name + " follows an input within the clock");
      }
    }
    if (now.applied[static_cast<std::size_t>(ports["m_axis_output_tdata"])] >> p.m) {
      problem(c, "m_axis_output_tdata has bits set above the symbol");
    }
    if (ports["m_axis_stat_tdata"] >= 0 &&
        (now.applied[static_cast<std::size_t>(ports["m_axis_stat_tdata"])] & 0x7f) >> w) {
      problem(c, "m_axis_stat_tdata has bits set between numerr and decfail");
    }
    if (c == 0) continue;
    const ClockRecord& before = trace[c - 1];
    const bool reset = before.applied[static_cast<std::size_t>(ports["aresetn"])] == 0;
    for (const std::string stream : {"m_axis_output", "m_axis_stat"}) {
      if (ports[stream + "_tvalid"] < 0) continue;
      const auto at = [&](const ClockRecord& r, const char* signal) {
        const int i = ports[stream + signal];
        return i < 0 ? 0 : r.applied[static_cast<std::size_t>(i)];
      };
      if (reset) {
        if (at(now, "_tvalid")) problem(c, stream + "_tvalid high after a reset");
      } else if (at(before, "_tvalid") && !at(before, "_tready")) {
        if (!at(now, "_tvalid")) {
          problem(c, stream + "_tvalid withdrawn before its transfer");
        } else if (at(now, "_tdata") != at(before, "_tdata") || at(now, "_tlast") != at(before, "_tlast")) {
          problem(c, stream + "_tdata or _tlast changed while waiting for tready");
        }
      }
    }
  }
  return problems;
}

// ---- Traffic through the wrapper's netlist ----

// One handshake signal in a phase: bursts of high or low whose lengths lie
// between `shortest` and `longest` clocks, high with chance `high`; or
// toggling every clock.
struct Gate {
  double high = 1;
  int shortest = 1, longest = 1;
  bool toggle = false;
};

struct Phase {
  std::string name;
  Gate in_valid, out_ready, stat_ready;
};

std::vector<Phase> Phases(int n) {
  return {
      {"everything high", {}, {}, {}},
      {"random", {0.6, 1, 3}, {0.6, 1, 3}, {0.7, 1, 4}},
      {"toggling every clock", {1, 1, 1, true}, {1, 1, 1, true}, {1, 1, 1, true}},
      {"long stalls", {0.7, 1, n}, {0.5, n, 3 * n}, {0.5, 1, 2 * n}},
      {"status not taken for a while", {0.9, 1, 2}, {0.9, 1, 2}, {0.3, 3 * n, 5 * n}},
  };
}

struct Beat {
  std::uint64_t data = 0;
  std::uint64_t user = 0;  // bit 0 erasure, bit 1 bypass
  bool last = false;
};

struct Expected {
  std::vector<std::uint64_t> symbols;
  int numerr = 0;
  bool decfail = false;
};

struct RunOptions {
  int words = 0;
  bool phases = true;  // else everything high throughout
  bool reset = true;   // once, with codewords in flight
  unsigned seed = 1;
};

class GateState {
 public:
  bool Next(const Gate& gate, std::mt19937& rng) {
    if (gate.toggle) return level_ = !level_;
    if (left_ <= 0) {
      level_ = std::uniform_real_distribution<>(0, 1)(rng) < gate.high;
      left_ = std::uniform_int_distribution<>(gate.shortest, std::max(gate.shortest, gate.longest))(rng);
    }
    --left_;
    return level_;
  }

 private:
  bool level_ = false;
  int left_ = 0;
};

class AxisRun {
 public:
  AxisRun(const RsParameters& p, const Netlist& wrapper, const Netlist& core, const RunOptions& options)
      : p_(p),
        ports_(wrapper.ports()),
        options_(options),
        engine_(p),
        sim_(wrapper),
        core_(core),
        rng_(options.seed),
        phases_(Phases(p.n)) {
    engine_.build_alog();
    engine_.build_gg();
  }

  // Runs the codewords through; the problems the scoreboard found.
  std::vector<std::string> Run() {
    const bool decoder = p_.Enc_Dec == 0;
    const long limit = 40L * (options_.words + 2) * (p_.n + 2) + 4000;
    int made = 0;
    bool was_reset = false;
    Clock(true);  // a reset first, as after power-up
    while (clocks_ < limit && (made < options_.words || !pending_.empty() || presenting_ ||
                               out_word_ < expected_.size() || (decoder && stat_word_ < expected_.size()))) {
      const std::size_t phase_index =
          options_.phases && made < options_.words ? static_cast<std::size_t>(made) * phases_.size() / options_.words
                                                   : 0;
      phase_ = &phases_[phase_index];
      // Once, in the random phase, while codewords are in flight.
      if (options_.reset && !was_reset && phase_index == 1 && out_word_ < expected_.size() && !pending_.empty()) {
        was_reset = true;
        const int clocks = 1 + static_cast<int>(rng_() % 2);
        for (int i = 0; i < clocks; ++i) Clock(true);
        continue;
      }
      if (!presenting_ && pending_.empty() && made < options_.words) {
        ++made;
        decoder ? NewCodeword() : NewMessage();
      }
      Clock(false);
    }
    if (clocks_ >= limit) Problem("the run did not end: " + std::to_string(out_word_) + " of " +
                                  std::to_string(expected_.size()) + " codewords out");
    if (missing_seen_ != missing_sent_ || unexpected_seen_ != unexpected_sent_) {
      Problem("events: tlast missing " + std::to_string(missing_seen_) + " of " + std::to_string(missing_sent_) +
              ", unexpected " + std::to_string(unexpected_seen_) + " of " + std::to_string(unexpected_sent_));
    }
    return problems_;
  }

  const Trace& trace() const { return trace_; }
  // Clocks at which a codeword's first symbol was taken at the output, and
  // at which an input symbol was taken.
  const std::vector<long>& first_out() const { return first_out_; }
  const std::vector<long>& taken_in() const { return taken_in_; }

 private:
  bool Chance(double p) { return std::uniform_real_distribution<>(0, 1)(rng_) < p; }
  void Problem(const std::string& text) {
    if (problems_.size() < 8) problems_.push_back("clock " + std::to_string(clocks_) + ": " + text);
  }
  std::uint64_t Random(int bits) { return rng_() & ((std::uint64_t{1} << bits) - 1); }

  // Tlast where it belongs, now and then missing there or set on another
  // symbol; the events it should cause are counted.
  void PlaceTlast(std::vector<Beat>& beats) {
    beats.back().last = true;
    if (Chance(0.15)) beats.back().last = false;
    if (beats.size() > 1 && Chance(0.15)) beats[rng_() % (beats.size() - 1)].last = true;
    for (std::size_t i = 0; i < beats.size(); ++i) {
      if (i + 1 == beats.size() && !beats[i].last) ++missing_sent_;
      if (i + 1 < beats.size() && beats[i].last) ++unexpected_sent_;
    }
  }

  void NewCodeword() {
    const int n = p_.n, k = n - p_.r, size = 1 << p_.m;
    for (int i = 0; i < k; ++i) engine_.msg[static_cast<std::size_t>(i)] = static_cast<int>(rng_() % size);
    engine_.encode();
    std::vector<int> word(engine_.cw.begin(), engine_.cw.begin() + n), erased(static_cast<std::size_t>(n), 0);
    const bool erasures = p_.Eras_Stnd == 1;
    int flagged = erasures ? static_cast<int>(rng_() % (p_.r + 1)) : 0, errors = 0;
    switch (rng_() % 4) {
      case 0: flagged = 0; break;                                                       // clean
      case 1: errors = (p_.r - flagged) / 2 + 1 + static_cast<int>(rng_() % 3); break;  // beyond
      default: errors = static_cast<int>(rng_() % ((p_.r - flagged) / 2 + 1));           // within
    }
    for (int t = 0; t < std::min(flagged + errors, n); ++t) {
      const std::size_t at = rng_() % static_cast<std::size_t>(n);
      if (t < flagged) erased[at] = 1;
      if (t >= flagged || Chance(0.5)) word[at] ^= 1 + static_cast<int>(rng_() % (size - 1));
    }
    const bool bypass = Chance(0.1);
    std::vector<Beat> beats;
    for (int i = n - 1; i >= 0; --i) {  // c[n-1] first
      const std::size_t at = static_cast<std::size_t>(i);
      beats.push_back(Beat{static_cast<std::uint64_t>(word[at]),
                           static_cast<std::uint64_t>(erased[at]) | (i == n - 1 && bypass ? 2u : 0u), false});
    }
    PlaceTlast(beats);
    expected_.push_back(DecoderAnswer(beats));
    pending_.insert(pending_.end(), beats.begin(), beats.end());
  }

  void NewMessage() {
    const int k = p_.n - p_.r;
    std::vector<Beat> beats;
    for (int i = 0; i < k; ++i) beats.push_back(Beat{Random(p_.m), 0, false});
    PlaceTlast(beats);
    expected_.push_back(EncoderAnswer(beats));
    pending_.insert(pending_.end(), beats.begin(), beats.end());
  }

  // What the bare core puts out for the codeword, fed at full rate.
  Expected DecoderAnswer(const std::vector<Beat>& beats) {
    Simulator& sim = core_;
    sim.Set("dsout", 1);
    sim.Set("reset", 1);
    sim.Step();
    sim.Set("reset", 0);
    for (std::size_t i = 0; i < beats.size(); ++i) {
      sim.Set("dsin", i == 0);
      sim.Set("rsin", beats[i].data);
      sim.Set("bypass", (beats[i].user >> 1) & 1);
      if (p_.Eras_Stnd == 1) sim.Set("eras_ind", beats[i].user & 1);
      sim.Step();
    }
    sim.Set("dsin", 0);
    Expected answer;
    for (int clock = 0; clock < 4000 && answer.symbols.size() < beats.size(); ++clock) {
      if (sim.Get("outvalid")) {
        answer.symbols.push_back(sim.Get("rsout"));
        answer.numerr = static_cast<int>(sim.Get("numerr"));
        answer.decfail = sim.Get("decfail") != 0;
      }
      sim.Step();
    }
    EXPECT_EQ(answer.symbols.size(), beats.size()) << "the bare core put out no codeword";
    return answer;
  }

  Expected EncoderAnswer(const std::vector<Beat>& beats) {
    Simulator& sim = core_;
    sim.Set("reset", 1);
    sim.Step();
    sim.Set("reset", 0);
    sim.Set("start", 1);
    sim.Step();
    sim.Set("start", 0);
    sim.Set("enable", 1);
    Expected answer;
    for (int i = 0; i < p_.n; ++i) {
      sim.Set("rsin", i < static_cast<int>(beats.size()) ? beats[static_cast<std::size_t>(i)].data : Random(p_.m));
      sim.Step();
      answer.symbols.push_back(sim.Get("rsout"));
    }
    sim.Set("enable", 0);
    return answer;
  }

  std::size_t Port(const char* name) const { return static_cast<std::size_t>(ports_[name]); }

  // One clock: the inputs, the outputs twice (the second time with every
  // input changed), the scoreboard, then the edge.
  void Clock(bool reset) {
    std::vector<std::uint64_t> in(ports_.all().size(), 0);
    const bool decoder = p_.Enc_Dec == 0;
    if (!reset && !presenting_ && !pending_.empty() && gate_valid_.Next(phase_->in_valid, rng_)) {
      presenting_ = true;
    }
    // A beat is presented until it is taken; garbage in every bit the
    // wrapper must ignore.
    const Beat beat = presenting_ ? pending_.front() : Beat{Random(p_.m), Random(2), Chance(0.5)};
    in[Port("aresetn")] = !reset;
    in[Port("s_axis_input_tdata")] = beat.data | (Random(8) >> p_.m << p_.m);
    if (decoder) in[Port("s_axis_input_tuser")] = p_.Eras_Stnd == 1 ? beat.user : beat.user | Random(1);
    in[Port("s_axis_input_tlast")] = beat.last;
    in[Port("s_axis_input_tvalid")] = presenting_ && !reset;
    in[Port("m_axis_output_tready")] = reset ? Random(1) : gate_ready_.Next(phase_->out_ready, rng_);
    if (decoder) in[Port("m_axis_stat_tready")] = reset ? Random(1) : gate_stat_.Next(phase_->stat_ready, rng_);

    ClockRecord record;
    record.applied = Drive(in);
    std::vector<std::uint64_t> other = in;  // every bit of every input flipped
    for (std::size_t i = 0; i < other.size(); ++i) {
      if (ports_.Packed(i, false)) other[i] ^= (std::uint64_t{1} << ports_.all()[i].bits()) - 1;
    }
    record.jiggled = Drive(other);
    Drive(in);
    const std::vector<std::uint64_t>& out = record.applied;
    trace_.push_back(record);

    if (reset) {
      // Everything in flight is dropped, the codeword being sent too.
      pending_.clear();
      presenting_ = false;
      out_word_ = stat_word_ = expected_.size();
      out_pos_ = 0;
      missing_sent_ = unexpected_sent_ = missing_seen_ = unexpected_seen_ = 0;
    } else {
      missing_seen_ += static_cast<int>(out[Port("event_s_input_tlast_missing")]);
      unexpected_seen_ += static_cast<int>(out[Port("event_s_input_tlast_unexpected")]);
      Score(in, out);
    }
    sim_.Step();
    ++clocks_;
  }

  std::vector<std::uint64_t> Drive(const std::vector<std::uint64_t>& in) {
    std::vector<std::uint64_t> values = in;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const ::codexel::hdl::Port& port = ports_.all()[i];
      if (port.name == "aclk") continue;
      if (port.output) {
        values[i] = sim_.Get(port.name);
      } else {
        sim_.Set(port.name, in[i]);
      }
    }
    return values;
  }

  void Score(const std::vector<std::uint64_t>& in, const std::vector<std::uint64_t>& out) {
    if (in[Port("s_axis_input_tvalid")] && out[Port("s_axis_input_tready")]) {
      pending_.pop_front();
      presenting_ = false;
      taken_in_.push_back(clocks_);
    }
    const bool decoder = p_.Enc_Dec == 0;
    bool stat_shown = false;
    if (decoder && out[Port("m_axis_stat_tvalid")]) {
      stat_shown = true;
      if (in[Port("m_axis_stat_tready")]) {
        if (stat_word_ >= expected_.size()) return Problem("a status beat for no codeword");
        const Expected& e = expected_[stat_word_++];
        const std::uint64_t want = static_cast<std::uint64_t>(e.numerr) | (e.decfail ? 0x80u : 0u);
        if (out[Port("m_axis_stat_tdata")] != want) {
          Problem("status " + std::to_string(out[Port("m_axis_stat_tdata")]) + ", the core's " +
                  std::to_string(want));
        }
        stat_shown = false;
      }
    }
    if (!out[Port("m_axis_output_tvalid")]) return;
    if (out_word_ >= expected_.size()) return Problem("a symbol for no codeword");
    // A codeword's status no later than its first symbol.
    if (decoder && out_pos_ == 0 && stat_word_ + (stat_shown ? 1 : 0) <= out_word_) {
      Problem("a codeword's first symbol before its status");
    }
    if (!in[Port("m_axis_output_tready")]) return;
    const Expected& e = expected_[out_word_];
    if (out_pos_ == 0) first_out_.push_back(clocks_);
    if (out[Port("m_axis_output_tdata")] != e.symbols[out_pos_]) {
      Problem("symbol " + std::to_string(out_pos_) + " of codeword " + std::to_string(out_word_) + " is " +
              std::to_string(out[Port("m_axis_output_tdata")]) + ", the core's " + std::to_string(e.symbols[out_pos_]));
    }
    const bool last = out_pos_ + 1 == e.symbols.size();
    if ((out[Port("m_axis_output_tlast")] != 0) != last) Problem("m_axis_output_tlast not with the last symbol alone");
    if (last) {
      out_pos_ = 0;
      ++out_word_;
    } else {
      ++out_pos_;
    }
  }

  RsParameters p_;
  Ports ports_;
  RunOptions options_;
  RsEngine engine_;
  Simulator sim_;
  Simulator core_;
  std::mt19937 rng_;
  std::vector<Phase> phases_;
  const Phase* phase_ = nullptr;
  GateState gate_valid_, gate_ready_, gate_stat_;
  std::deque<Beat> pending_;  // of the codeword being sent
  bool presenting_ = false;
  std::deque<Expected> expected_;
  std::size_t out_word_ = 0, stat_word_ = 0, out_pos_ = 0;
  int missing_sent_ = 0, unexpected_sent_ = 0, missing_seen_ = 0, unexpected_seen_ = 0;
  long clocks_ = 0;
  Trace trace_;
  std::vector<long> first_out_, taken_in_;
  std::vector<std::string> problems_;
};

// ---- The printed wrapper, replayed ----

// The inputs of each clock (as driven, then changed) from stimulus.hex; the
// outputs of both moments written to dump.txt, one clock a line.
std::string VerilogReplay(const Ports& ports, const std::string& wrapper, std::size_t clocks) {
  std::ostringstream v, ins, outs;
  int in_bits = 0;
  v << "`timescale 1ns / 1ps\nmodule replay;\n  reg aclk = 1'b0;\n";
  for (auto it = ports.all().rbegin(); it != ports.all().rend(); ++it) {
    const std::string range = it->width ? "[" + std::to_string(it->width - 1) + ":0] " : "";
    if (it->name == "aclk") continue;
    if (it->output) {
      v << "  wire " << range << it->name << ";\n";
      outs << (outs.tellp() ? ", " : "") << it->name;
    } else {
      v << "  reg " << range << it->name << " = 0;\n";
      ins << (ins.tellp() ? ", " : "") << it->name;
      in_bits += it->bits();
    }
  }
  v << "  reg [63:0] trace [0:" << clocks - 1 << "];\n  integer c, f;\n  " << wrapper << " dut (";
  for (std::size_t i = 0; i < ports.all().size(); ++i) {
    v << (i ? ", " : "") << '.' << ports.all()[i].name << '(' << ports.all()[i].name << ')';
  }
  v << ");\n  initial begin\n    $readmemh(\"stimulus.hex\", trace);\n    f = $fopen(\"dump.txt\", \"w\");\n"
    << "    for (c = 0; c < " << clocks << "; c = c + 1) begin\n"
    << "      {" << ins.str() << "} = trace[c][" << in_bits - 1 << ":0];\n"
    << "      #2 $fwrite(f, \"%0d \", {" << outs.str() << "});\n"
    << "      {" << ins.str() << "} = trace[c][" << 32 + in_bits - 1 << ":32];\n"
    << "      #2 $fwrite(f, \"%0d\\n\", {" << outs.str() << "});\n"
    << "      {" << ins.str() << "} = trace[c][" << in_bits - 1 << ":0];\n"
    << "      #1 aclk = 1'b1;\n      #5 aclk = 1'b0;\n    end\n    $fclose(f);\n    $finish;\n  end\nendmodule\n";
  return v.str();
}

std::string VhdlReplay(const Ports& ports, const std::string& wrapper) {
  std::ostringstream v, apply_normal, apply_jiggle, pack;
  v << "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\nuse std.textio.all;\n\n"
    << "entity replay is\nend entity replay;\n\narchitecture sim of replay is\n  signal aclk : std_logic := '0';\n";
  int in_at = 0, out_at = 0;
  for (const Port& port : ports.all()) {
    if (port.name == "aclk") continue;
    const std::string type =
        port.width ? "std_logic_vector(" + std::to_string(port.width - 1) + " downto 0)" : "std_logic";
    v << "  signal " << port.name << " : " << type << (port.output ? "" : port.width ? " := (others => '0')" : " := '0'")
      << ";\n";
    if (port.output) {
      if (port.width) {
        pack << "      p := p + to_integer(unsigned(" << port.name << ")) * " << (1L << out_at) << ";\n";
      } else {
        pack << "      if " << port.name << " = '1' then p := p + " << (1L << out_at) << "; end if;\n";
      }
      out_at += port.bits();
      continue;
    }
    for (auto [out, word] : {std::pair{&apply_normal, "normal"}, std::pair{&apply_jiggle, "jiggle"}}) {
      const std::string field = "(" + std::string(word) + " / " + std::to_string(1L << in_at) + ") mod " +
                                std::to_string(1L << port.bits());
      if (port.width) {
        *out << "      " << port.name << " <= std_logic_vector(to_unsigned(" << field << ", " << port.width << "));\n";
      } else {
        *out << "      if " << field << " = 1 then " << port.name << " <= '1'; else " << port.name
             << " <= '0'; end if;\n";
      }
    }
    in_at += port.bits();
  }
  v << "begin\n  dut : entity work." << wrapper << " port map (";
  for (std::size_t i = 0; i < ports.all().size(); ++i) {
    v << (i ? ", " : "") << ports.all()[i].name << " => " << ports.all()[i].name;
  }
  v << ");\n  process\n    file stimulus : text open read_mode is \"stimulus.txt\";\n"
    << "    file dump : text open write_mode is \"dump.txt\";\n    variable l, o : line;\n"
    << "    variable normal, jiggle, p : integer;\n  begin\n    while not endfile(stimulus) loop\n"
    << "      readline(stimulus, l);\n      read(l, normal);\n      read(l, jiggle);\n"
    << apply_normal.str() << "      wait for 2 ns;\n      p := 0;\n" << pack.str()
    << "      write(o, p);\n      write(o, ' ');\n" << apply_jiggle.str() << "      wait for 2 ns;\n      p := 0;\n"
    << pack.str() << "      write(o, p);\n      writeline(dump, o);\n" << apply_normal.str()
    << "      wait for 1 ns;\n      aclk <= '1';\n      wait for 5 ns;\n      aclk <= '0';\n    end loop;\n"
    << "    wait;\n  end process;\nend architecture sim;\n";
  return v.str();
}

using testing::RunTool;

void WriteStimulus(const fs::path& dir, const Ports& ports, const Trace& trace) {
  std::ofstream hex(dir / "stimulus.hex"), text(dir / "stimulus.txt");
  for (const ClockRecord& r : trace) {
    const std::uint64_t normal = ports.Pack(r.applied, false), jiggle = ports.Pack(r.jiggled, false);
    hex << std::hex << (jiggle << 32 | normal) << '\n';
    text << normal << ' ' << jiggle << '\n';
  }
}

// The simulator's dump as a trace: the inputs of `stimulus`, its outputs.
Trace ReadDump(const fs::path& dir, const Ports& ports, const Trace& stimulus) {
  Trace trace = stimulus;
  std::ifstream dump(dir / "dump.txt");
  std::size_t c = 0;
  for (std::uint64_t normal = 0, jiggled = 0; c < trace.size() && dump >> normal >> jiggled; ++c) {
    ports.Unpack(normal, true, trace[c].applied);
    ports.Unpack(jiggled, true, trace[c].jiggled);
  }
  trace.resize(c);
  return trace;
}

// The first clock at which two traces' outputs differ; -1 when none.
long FirstDifference(const Trace& a, const Trace& b) {
  for (std::size_t c = 0; c < std::min(a.size(), b.size()); ++c) {
    if (a[c].applied != b[c].applied) return static_cast<long>(c);
  }
  return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

// ---- The codes, chosen by their plans ----

struct Case {
  std::string name;
  RsParameters p;
  bool ghdl;  // the smallest field: GHDL runs it in the sanitizer pass too
};

// The first code (m 4 and 5, r 4 to 8, n rising) whose decoder with these
// choices has a plan that `wanted` accepts.
RsParameters FirstDecoder(testing::DecoderChoice choice, const std::function<bool(const DecoderPlan&)>& wanted) {
  for (int m = 4; m <= 5; ++m) {
    for (int r : {4, 6, 8}) {
      for (int n = std::max(5, r + 1); n < (1 << m); ++n) {
        const RsParameters p = testing::AsDecoder(testing::Code(m, n, r, m == 4 ? 19 : 37, 1), choice);
        if (wanted(PlanDecoder(p))) return p;
      }
    }
  }
  ADD_FAILURE() << "no code has the plan wanted";
  return testing::AsDecoder(testing::Code(4, 15, 4, 19), choice);
}

std::vector<Case> Cases() {
  const auto ready = [](const DecoderPlan& plan) { return plan.interval <= plan.n; };
  std::vector<Case> cases = {
      {"FullStreamingParallel", FirstDecoder({0, 0, 1}, [](const DecoderPlan& plan) { return !plan.folded; }), false},
      {"FullStreamingFolded", FirstDecoder({0, 0, 1}, [](const DecoderPlan& plan) { return plan.folded; }), false},
      {"ErasuresFullStreamingParallel",
       FirstDecoder({1, 0, 1}, [](const DecoderPlan& plan) { return !plan.folded && plan.n > 8; }), false},
      {"ErasuresFullStreamingFolded", FirstDecoder({1, 0, 1}, [](const DecoderPlan& plan) { return plan.folded; }),
       false},
      {"HalfStreamingIntervalN", FirstDecoder({0, 0, 0}, ready), false},
      {"ErasuresHalfStreamingLonger", FirstDecoder({1, 0, 0}, [&](const DecoderPlan& plan) { return !ready(plan); }),
       false},
      {"DiscreteFull", FirstDecoder({0, 1, 1}, [](const DecoderPlan& plan) { return plan.n >= 9; }), false},
      {"ErasuresDiscreteHalf", FirstDecoder({1, 1, 0}, [](const DecoderPlan& plan) { return plan.n >= 7; }), false},
      {"EncoderShortest", testing::Code(4, 5, 4, 19), false},
      {"Encoder", testing::Code(5, 21, 6, 37, 3), false},
  };
  for (Case& c : cases) c.ghdl = c.p.m == 4;
  return cases;
}

struct Built {
  std::shared_ptr<const Netlist> core;
  Netlist wrapper;
};

Built Build(const RsParameters& p) {
  auto core = std::make_shared<const Netlist>(BuildRsCore("dut", p, CorePorts(p)));
  Netlist wrapper = BuildAxisWrapper(p, core);
  return {core, std::move(wrapper)};
}

bool GhdlWanted(const Case& c) { return c.ghdl || !std::getenv("CODEXEL_HDL_SMALLEST_ONLY"); }

class AxisWrapperTest : public ::testing::TestWithParam<Case> {};

TEST_P(AxisWrapperTest, StreamsTheCoresOwnOutputsByTheRulesInNetlistIcarusAndGhdl) {
  const Case& c = GetParam();
  SCOPED_TRACE("m " + std::to_string(c.p.m) + " n " + std::to_string(c.p.n) + " r " + std::to_string(c.p.r));
  const Built built = Build(c.p);
  EXPECT_TRUE(CombinationalPaths(built.wrapper).empty()) << CombinationalPaths(built.wrapper).front().first;
  const Ports ports(built.wrapper.ports());
  AxisRun run(c.p, built.wrapper, *built.core,
              {.words = 30, .seed = static_cast<unsigned>(std::hash<std::string>{}(c.name))});
  for (const std::string& problem : run.Run()) ADD_FAILURE() << problem;
  for (const std::string& problem : CheckProtocol(ports, c.p, run.trace())) ADD_FAILURE() << "netlist: " << problem;

  char pattern[] = "/tmp/codexel-axis-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;
  const std::string name = built.wrapper.module_name();
  std::ofstream(dir / "dut.v") << PrintVerilog(*built.core);
  std::ofstream(dir / "dut_axis.v") << PrintVerilog(built.wrapper);
  std::ofstream(dir / "replay.v") << VerilogReplay(ports, name, run.trace().size());
  WriteStimulus(dir, ports, run.trace());
  const std::string icarus = RunTool(dir, "iverilog -g2005 -o replay.vvp dut.v dut_axis.v replay.v && vvp -n replay.vvp");
  EXPECT_EQ(icarus, "") << icarus;
  const Trace verilog = ReadDump(dir, ports, run.trace());
  EXPECT_EQ(FirstDifference(verilog, run.trace()), -1) << "Icarus Verilog differs from the netlist";
  for (const std::string& problem : CheckProtocol(ports, c.p, verilog)) ADD_FAILURE() << "Icarus: " << problem;
  const std::string lint = RunTool(dir, "verilator --lint-only -Wall --top-module dut_axis dut.v dut_axis.v");
  EXPECT_EQ(lint, "") << lint;

  if (GhdlWanted(c)) {
    std::ofstream(dir / "dut.vhd") << PrintVhdl(*built.core);
    std::ofstream(dir / "dut_axis.vhd") << PrintVhdl(built.wrapper);
    std::ofstream(dir / "replay.vhd") << VhdlReplay(ports, name);
    const std::string standard = c.p.n % 2 ? "--std=08" : "--std=93c";
    const std::string ghdl = RunTool(dir, "ghdl -a " + standard + " dut.vhd dut_axis.vhd replay.vhd && ghdl -e " +
                                              standard + " replay && ghdl -r " + standard + " replay");
    EXPECT_EQ(ghdl, "") << ghdl;
    const Trace vhdl = ReadDump(dir, ports, run.trace());
    EXPECT_EQ(FirstDifference(vhdl, run.trace()), -1) << "GHDL differs from the netlist";
    for (const std::string& problem : CheckProtocol(ports, c.p, vhdl)) ADD_FAILURE() << "GHDL: " << problem;
  }
  fs::remove_all(dir);
}

// With every tvalid and tready held high, the wrapper keeps the core's own
// pace: a decoder's codewords leave `interval` clocks apart (n for a
// full-speed streaming one, which takes a symbol every clock), the encoder's
// n + 1 apart (a start, then n symbols), its k message symbols taken on k
// clocks in a row.
TEST_P(AxisWrapperTest, KeepsTheCoresPaceAtFullRate) {
  const Case& c = GetParam();
  const Built built = Build(c.p);
  AxisRun run(c.p, built.wrapper, *built.core, {.words = 8, .phases = false, .reset = false, .seed = 5});
  for (const std::string& problem : run.Run()) ADD_FAILURE() << problem;
  const bool encoder = c.p.Enc_Dec == 1;
  const DecoderPlan plan = encoder ? DecoderPlan{} : PlanDecoder(c.p);
  const long period = encoder ? c.p.n + 1 : plan.interval;
  const std::vector<long>& first = run.first_out();
  ASSERT_EQ(first.size(), 8u);
  for (std::size_t i = 2; i < first.size(); ++i) EXPECT_EQ(first[i] - first[i - 1], period) << "codeword " << i;
  // A codeword's first message symbols wait while the codeword before is
  // finished; the encoder then takes the others a clock apart, as does a
  // decoder whose interval is n every symbol.
  const std::vector<long>& in = run.taken_in();
  const std::size_t per_word = static_cast<std::size_t>(encoder ? c.p.n - c.p.r : c.p.n);
  // A decoder's first symbol is taken two clocks later than from the core
  // itself (latency + 1 edges after its last symbol): one in the input
  // register, one in the output's.
  if (!encoder) {
    EXPECT_EQ(first[0] - in[per_word - 1], plan.latency + 3);
  }
  const bool every_clock = !encoder && plan.interval <= c.p.n;
  if (!encoder && !every_clock) return;
  for (std::size_t i = per_word + 1; i < in.size(); ++i) {
    if (every_clock || i % per_word >= 2) {
      EXPECT_EQ(in[i] - in[i - 1], 1) << "input symbol " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, AxisWrapperTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// Every core of a table of codes (every m, r from 4 to 50, shortest, middle
// and full length) gets a wrapper with no path from an input to an output
// without a register, printed in both languages.
TEST(AxisWrapperBuildTest, EveryVariantOfEveryCodeIsWrappedWithoutACombinationalPath) {
  int wrapped = 0;
  for (int m = 4; m <= 8; ++m) {
    for (int r : {4, 9, 16, 33, 50}) {
      for (int n : {std::max(5, r + 1), (r + (1 << m)) / 2, (1 << m) - 1}) {
        if (r >= n || n >= (1 << m)) continue;
        for (int variant = 0; variant < 9; ++variant) {
          RsParameters p = testing::Code(m, n, r, field_polynomials(m)[0]);
          if (variant < 8) p = testing::AsDecoder(p, {variant & 1, (variant >> 1) & 1, (variant >> 2) & 1});
          SCOPED_TRACE("m " + std::to_string(m) + " n " + std::to_string(n) + " r " + std::to_string(r) +
                       " variant " + std::to_string(variant));
          const Built built = Build(p);
          EXPECT_TRUE(CombinationalPaths(built.wrapper).empty());
          EXPECT_NO_THROW(PrintVerilog(built.wrapper));
          EXPECT_NO_THROW(PrintVhdl(built.wrapper));
          ++wrapped;
        }
      }
    }
  }
  EXPECT_GT(wrapped, 300);
}

// The DVB decoders at full speed take a symbol every clock, codeword after
// codeword, through the wrapper.
TEST(AxisWrapperPaceTest, DvbFullSpeedStreamingDecodersTakeASymbolEveryClock) {
  for (int eras = 0; eras <= 1; ++eras) {
    const RsParameters p = testing::DvbDecoder({eras, 0, 1});
    const Built built = Build(p);
    AxisRun run(p, built.wrapper, *built.core, {.words = 4, .phases = false, .reset = false, .seed = 7});
    for (const std::string& problem : run.Run()) ADD_FAILURE() << problem;
    const std::vector<long>& in = run.taken_in();
    ASSERT_EQ(in.size(), 4u * 204);
    EXPECT_EQ(in.back() - in.front(), 4 * 204 - 1) << "erasures " << eras;
    ASSERT_EQ(run.first_out().size(), 4u);
    EXPECT_EQ(run.first_out()[3] - run.first_out()[0], 3 * 204) << "erasures " << eras;
  }
}

// A wrapper broken on purpose, as adapters are most often broken: the
// monitor must say so.
struct Mutation {
  const char* name;
  const char* pattern;  // in the printed Verilog
  const char* replacement;
  const char* caught;   // part of the monitor's complaint
};

class AxisMutationTest : public ::testing::TestWithParam<std::tuple<Mutation, bool>> {};

TEST_P(AxisMutationTest, TheMonitorCatchesABrokenWrapper) {
  const auto [mutation, encoder] = GetParam();
  const RsParameters p = encoder ? testing::Code(4, 9, 4, 19) : FirstDecoder({0, 0, 1}, [](const DecoderPlan&) {
    return true;
  });
  const Built built = Build(p);
  const Ports ports(built.wrapper.ports());
  AxisRun run(p, built.wrapper, *built.core, {.words = 12, .seed = 3});
  ASSERT_TRUE(run.Run().empty());
  char pattern[] = "/tmp/codexel-axis-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;
  const std::string printed = PrintVerilog(built.wrapper);
  const std::string broken = std::regex_replace(printed, std::regex(mutation.pattern), mutation.replacement,
                                                std::regex_constants::format_first_only);
  ASSERT_NE(broken, printed) << mutation.pattern;
  std::ofstream(dir / "dut.v") << PrintVerilog(*built.core);
  std::ofstream(dir / "dut_axis.v") << broken;
  std::ofstream(dir / "replay.v") << VerilogReplay(ports, built.wrapper.module_name(), run.trace().size());
  WriteStimulus(dir, ports, run.trace());
  ASSERT_EQ(RunTool(dir, "iverilog -g2005 -o replay.vvp dut.v dut_axis.v replay.v && vvp -n replay.vvp"), "");
  const std::vector<std::string> problems = CheckProtocol(ports, p, ReadDump(dir, ports, run.trace()));
  ASSERT_FALSE(problems.empty());
  EXPECT_NE(problems.front().find(mutation.caught), std::string::npos) << problems.front();
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Mutations, AxisMutationTest,
    ::testing::Combine(
        ::testing::Values(
            Mutation{"HeadWrittenWhileStalled", R"(if \(\w+\) (r_out_word <= ))", "$1",
                     "m_axis_output_tdata or _tlast changed while waiting"},
            Mutation{"ValidFollowsReady", R"((assign m_axis_output_tvalid = \w+);)", "$1 & m_axis_output_tready;",
                     "m_axis_output_tvalid follows an input"}),
        ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Encoder" : "Decoder");
    });

}  // namespace
}  // namespace codexel::hdl
