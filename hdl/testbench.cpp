#include "hdl/testbench.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

namespace codexel::hdl {

namespace {

std::string Range(const Port& port) {
  if (port.width == 0) return "";
  return "[" + std::to_string(port.width + port.low - 1) + ":" + std::to_string(port.low) + "] ";
}

std::string Literal(std::uint64_t value, int bits) {
  return std::to_string(bits) + "'d" + std::to_string(value);
}

// The value an input has at `time`: the last value set at or before it.
std::uint64_t ValueAt(const VectorFile& vectors, const VectorSignal& signal, long long time) {
  if (!signal.repeating.empty()) {
    if (time < vectors.start) return 0;
    const long long step = (time - vectors.start) / vectors.interval;
    return signal.repeating[static_cast<std::size_t>(step % static_cast<long long>(signal.repeating.size()))];
  }
  const auto after = std::upper_bound(signal.timed.begin(), signal.timed.end(), time,
                                      [](long long t, const TimedValue& change) { return t < change.time; });
  return after == signal.timed.begin() ? 0 : std::prev(after)->value;
}

// Times of the rising edges of an input before STOP.
std::vector<long long> RisingEdges(const VectorFile& vectors, const VectorSignal& clock) {
  std::vector<long long> edges;
  std::uint64_t previous = 0;
  if (!clock.repeating.empty()) {
    const std::size_t period = clock.repeating.size();
    // Beyond any file the wizard writes (its longest has some 200 000 steps).
    constexpr long long kMaxSteps = 100'000'000;
    if ((vectors.stop - vectors.start) / vectors.interval > kMaxSteps) {
      throw std::invalid_argument("testbench: too many clock steps before STOP");
    }
    for (long long i = 0;; ++i) {
      const long long time = vectors.start + i * vectors.interval;
      if (time >= vectors.stop) break;
      const std::uint64_t value = clock.repeating[static_cast<std::size_t>(i) % period];
      if (previous == 0 && value != 0) edges.push_back(time);
      previous = value;
    }
  } else {
    for (const TimedValue& change : clock.timed) {
      if (change.time >= vectors.stop) break;
      if (previous == 0 && change.value != 0) edges.push_back(change.time);
      previous = change.value;
    }
  }
  return edges;
}

struct Event {
  long long time = 0;
  int order = 0;  // checks before drives at the same time
  std::string text;
};

}  // namespace

const Port* FindPort(const std::vector<Port>& ports, const std::string& name) {
  for (const Port& port : ports) {
    if (port.name == name) return &port;
  }
  return nullptr;
}

const Port& RequirePort(const std::vector<Port>& ports, const std::string& name, bool output) {
  const Port* port = FindPort(ports, name);
  if (!port || port->output != output) {
    throw std::invalid_argument("testbench: the core has no " + std::string(output ? "output " : "input ") +
                                name);
  }
  return *port;
}

namespace {

void CheckFits(const Port& port, std::uint64_t value, long long time) {
  if (port.bits() < 64 && value >> port.bits()) {
    throw std::invalid_argument("testbench: the value " + std::to_string(value) + " at time " +
                                std::to_string(time) + " does not fit " + port.name);
  }
}

}  // namespace

void CheckVectorsAgainstPorts(const std::vector<Port>& ports, const VectorFile& vectors) {
  for (const VectorSignal& signal : vectors.signals) {
    const Port& port = RequirePort(ports, signal.name, signal.output);
    if (signal.declared_width && signal.declared_width != port.bits()) {
      throw std::invalid_argument("testbench: " + signal.name + " has " + std::to_string(port.bits()) +
                                  " bits, the vector file declares " + std::to_string(signal.declared_width));
    }
    if (!signal.repeating.empty() && vectors.interval <= 0) {
      throw std::invalid_argument("testbench: a repeating pattern needs an INTERVAL");
    }
    for (std::uint64_t value : signal.repeating) CheckFits(port, value, vectors.start);
    for (const TimedValue& change : signal.timed) CheckFits(port, change.value, change.time);
  }
  for (const Expectation& e : vectors.expectations) {
    const VectorSignal& signal = vectors.signals[static_cast<std::size_t>(e.signal)];
    CheckFits(RequirePort(ports, signal.name, true), e.value, e.time);
  }
}

const Port& CheckDecoderCodewords(const std::vector<Port>& ports,
                                  const std::vector<std::vector<std::uint64_t>>& codewords) {
  const Port& rsout = RequirePort(ports, "rsout", true);
  RequirePort(ports, "outvalid", true);
  RequirePort(ports, "numerr", true);
  RequirePort(ports, "decfail", true);
  RequirePort(ports, "sysclk", false);
  for (const std::vector<std::uint64_t>& word : codewords) {
    if (word.size() != codewords.front().size()) {
      throw std::invalid_argument("testbench: codewords of different lengths");
    }
    for (std::uint64_t symbol : word) CheckFits(rsout, symbol, 0);
  }
  return rsout;
}

std::string PrintTestbench(const std::string& module_name, const std::vector<Port>& ports,
                           const VectorFile& vectors, const std::vector<TestbenchChecker>& checkers,
                           const std::string& header_comment) {
  CheckVectorsAgainstPorts(ports, vectors);
  std::ostringstream out;
  out << CommentLines(header_comment, "//");
  out << "`timescale 1ns / 1ps\n\nmodule " << module_name << "_tb;\n";
  for (const Port& port : ports) {
    out << "  " << (port.output ? "wire " : "reg ") << Range(port) << port.name << ";\n";
  }
  out << "  integer tb_checks = 0;\n\n  " << module_name << " tb_core (\n";
  for (std::size_t p = 0; p < ports.size(); ++p) {
    out << "    ." << ports[p].name << '(' << ports[p].name << ')' << (p + 1 < ports.size() ? ",\n" : "\n");
  }
  out << "  );\n";

  std::vector<Event> events;
  // Inputs that get their first value later than time 0, or never, are 0
  // until then.
  std::map<std::string, bool> set_at_zero;
  for (const VectorSignal& signal : vectors.signals) {
    const Port& port = RequirePort(ports, signal.name, signal.output);
    if (!signal.repeating.empty()) {
      set_at_zero[signal.name] = true;
      out << "\n  // " << signal.name << ": a new value every " << vectors.interval << " from " << vectors.start
          << ".\n  initial begin\n    " << signal.name << " = " << Literal(0, port.bits()) << ";\n";
      if (vectors.start > 0) out << "    #" << vectors.start << ";\n";
      out << "    forever begin\n";
      for (std::uint64_t value : signal.repeating) {
        out << "      " << signal.name << " = " << Literal(value, port.bits()) << ";\n      #"
            << vectors.interval << ";\n";
      }
      out << "    end\n  end\n";
    } else {
      if (!signal.timed.empty() && signal.timed.front().time <= 0) set_at_zero[signal.name] = true;
      for (const TimedValue& change : signal.timed) {
        events.push_back({change.time, 1, signal.name + " = " + Literal(change.value, port.bits()) + ";"});
      }
    }
  }
  // One task per output with expected values: compare, count, or end.
  std::map<int, bool> expected_outputs;
  for (const Expectation& e : vectors.expectations) {
    const VectorSignal& signal = vectors.signals[static_cast<std::size_t>(e.signal)];
    const Port& port = RequirePort(ports, signal.name, true);
    expected_outputs[e.signal] = true;
    events.push_back({e.time + 1, 0,
                      "tb_expect_" + signal.name + "(" + Literal(e.value, port.bits()) + ", " +
                          std::to_string(e.time) + ");"});
  }
  for (const auto& [index, unused] : expected_outputs) {
    const std::string& name = vectors.signals[static_cast<std::size_t>(index)].name;
    const Port& port = RequirePort(ports, name, true);
    out << "\n  task tb_expect_" << name << ";\n    input [" << port.bits() - 1 << ":0] expected;\n"
        << "    input [63:0] at;\n    begin\n      if (" << name << " !== expected) begin\n"
        << "        $display(\"FAIL time %0d signal " << name << " expected %0d got %0d\", at, expected, " << name
        << ");\n        $finish;\n      end\n      tb_checks = tb_checks + 1;\n    end\n  endtask\n";
  }
  for (const TestbenchChecker& checker : checkers) out << '\n' << checker.body;

  out << "\n  // The timed values and checks of the vector file, then STOP.\n  initial begin\n";
  for (const Port& port : ports) {
    if (!port.output && !set_at_zero.count(port.name)) {
      out << "    " << port.name << " = " << Literal(0, port.bits()) << ";\n";
    }
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.time != b.time ? a.time < b.time : a.order < b.order;
  });
  long long now = 0;
  for (const Event& event : events) {
    if (event.time >= vectors.stop) break;
    if (event.time > now) out << "    #" << event.time - now << ";\n";
    now = std::max(now, event.time);
    out << "    " << event.text << '\n';
  }
  if (vectors.stop > now) out << "    #" << vectors.stop - now << ";\n";
  for (const TestbenchChecker& checker : checkers) out << checker.at_stop;
  out << "    if (tb_checks == 0) $display(\"FAIL time " << vectors.stop << " nothing was checked\");\n"
      << "    else $display(\"PASS %0d\", tb_checks);\n    $finish;\n  end\n\nendmodule\n";
  return out.str();
}

std::vector<std::vector<std::uint64_t>> DecoderCodewordsSent(const VectorFile& vectors, int n) {
  const auto signal = [&](const char* name) -> const VectorSignal* {
    const int index = vectors.Find(name);
    return index < 0 ? nullptr : &vectors.signals[static_cast<std::size_t>(index)];
  };
  const VectorSignal* clock = signal("sysclk");
  const VectorSignal* rsin = signal("rsin");
  const VectorSignal* dsin = signal("dsin");
  if (!clock || !rsin || !dsin) throw std::invalid_argument("testbench: the file drives no sysclk, rsin or dsin");
  const VectorSignal* reset = signal("reset");
  const VectorSignal* dsout = signal("dsout");
  const auto at = [&](const VectorSignal* s, long long time, std::uint64_t absent) {
    return s ? ValueAt(vectors, *s, time) : absent;
  };

  std::vector<std::vector<std::uint64_t>> sent;
  std::vector<std::uint64_t> current;
  bool taking = false;
  bool dsin_was_low = true;
  for (long long time : RisingEdges(vectors, *clock)) {
    if (at(reset, time, 0)) {
      taking = false;
      dsin_was_low = true;
      continue;
    }
    if (!at(dsout, time, 1)) continue;
    const bool dsin_high = at(dsin, time, 0) != 0;
    if (!taking && dsin_high && dsin_was_low) {
      taking = true;
      current.clear();
    }
    if (taking) {
      current.push_back(ValueAt(vectors, *rsin, time));
      if (static_cast<int>(current.size()) == n) {
        sent.push_back(current);
        taking = false;
      }
    }
    dsin_was_low = !dsin_high;
  }
  return sent;
}

TestbenchChecker DecoderOutputChecker(const std::vector<std::vector<std::uint64_t>>& codewords,
                                      const std::vector<Port>& ports) {
  const Port& rsout = CheckDecoderCodewords(ports, codewords);
  const bool has_reset = FindPort(ports, "reset") != nullptr;
  const bool has_dsout = FindPort(ports, "dsout") != nullptr;
  const std::size_t n = codewords.empty() ? 1 : codewords.front().size();
  const std::size_t total = codewords.size() * n;
  const int bits = rsout.bits();

  std::ostringstream body;
  body << "  // The decoder puts each codeword sent out unchanged: outvalid high on\n"
       << "  // " << n << " edges, rsout the symbols in order, numerr 0, decfail 0.\n"
       << "  reg [" << bits - 1 << ":0] tb_sent [0:" << (total ? total - 1 : 0) << "];\n"
       << "  integer tb_word = 0;\n  integer tb_symbol = 0;\n  initial begin\n";
  if (total == 0) body << "    tb_sent[0] = " << Literal(0, bits) << ";\n";
  for (std::size_t w = 0; w < codewords.size(); ++w) {
    for (std::size_t s = 0; s < n; ++s) {
      body << "    tb_sent[" << w * n + s << "] = " << Literal(codewords[w][s], bits) << ";\n";
    }
  }
  const std::string fail = "$display(\"FAIL time %0d signal ";
  body << "  end\n  always @(posedge sysclk) begin\n    if (" << (has_reset ? "!reset" : "1'b1")
       << (has_dsout ? " && dsout" : "") << ") begin\n"
       << "      if (outvalid === 1'b1) begin\n"
       << "        if (tb_word >= " << codewords.size() << ") begin\n"
       << "          " << fail << "outvalid expected 0 got %0d\", $time, outvalid);\n          $finish;\n"
       << "        end\n"
       << "        if (rsout !== tb_sent[tb_word * " << n << " + tb_symbol]) begin\n"
       << "          " << fail << "rsout expected %0d got %0d\", $time, tb_sent[tb_word * " << n
       << " + tb_symbol], rsout);\n          $finish;\n        end\n"
       << "        if (numerr !== 0) begin\n"
       << "          " << fail << "numerr expected 0 got %0d\", $time, numerr);\n          $finish;\n        end\n"
       << "        if (decfail !== 1'b0) begin\n"
       << "          " << fail << "decfail expected 0 got %0d\", $time, decfail);\n          $finish;\n        end\n"
       << "        tb_checks = tb_checks + 1;\n        tb_symbol = tb_symbol + 1;\n"
       << "        if (tb_symbol == " << n << ") begin\n          tb_symbol = 0;\n"
       << "          tb_word = tb_word + 1;\n        end\n"
       << "      end else if (tb_symbol != 0) begin\n"
       << "        " << fail << "outvalid expected 1 got %0d\", $time, outvalid);\n        $finish;\n"
       << "      end\n    end\n  end\n";

  std::ostringstream at_stop;
  at_stop << "    if (tb_word != " << codewords.size() << " || tb_symbol != 0) begin\n"
          << "      $display(\"FAIL time %0d signal outvalid expected " << codewords.size()
          << " codewords got %0d\", $time, tb_word);\n      $finish;\n    end\n";
  return TestbenchChecker{body.str(), at_stop.str()};
}

}  // namespace codexel::hdl
