// The VHDL testbench of a core: its vector file translated, with the same
// checks and the same one-line result as the Verilog testbench.

#include <algorithm>
#include <map>
#include <sstream>
#include <stdexcept>

#include "hdl/testbench.h"
#include "hdl/vhdl.h"

namespace codexel::hdl {

namespace {

std::string PortType(const Port& port) {
  if (port.width == 0) return "std_logic";
  return "std_logic_vector(" + std::to_string(port.width + port.low - 1) + " downto " + std::to_string(port.low) +
         ")";
}

// A value for a port: '1' for a single bit, "0101" for a bus.
std::string Value(const Port& port, std::uint64_t value) {
  if (port.width == 0) return (value & 1) ? "'1'" : "'0'";
  std::string s = "\"";
  for (int b = port.bits() - 1; b >= 0; --b) s += ((value >> b) & 1) ? '1' : '0';
  return s + "\"";
}

std::string Zero(const Port& port) { return port.width == 0 ? "'0'" : "(others => '0')"; }

struct Event {
  long long time = 0;
  int order = 0;  // checks before drives at the same time
  std::string text;
};

// Decimal text of a value as the Verilog testbench prints it (%0d), "x"
// when a bit is neither 0 nor 1; then the FAIL line. (A failure assertion
// would end the run too, but simulators print it beside the one line.)
const char kHelpers[] = R"(
  function tb_image(v : std_logic_vector) return string is
    variable digits : string(1 to 20) := (others => '0');
    variable carry, d : integer;
  begin
    for i in v'range loop
      if v(i) = '1' then
        carry := 1;
      elsif v(i) = '0' then
        carry := 0;
      else
        return "x";
      end if;
      for k in 20 downto 1 loop
        d := (character'pos(digits(k)) - character'pos('0')) * 2 + carry;
        digits(k) := character'val(character'pos('0') + d mod 10);
        carry := d / 10;
      end loop;
    end loop;
    for k in 1 to 19 loop
      if digits(k) /= '0' then
        return digits(k to 20);
      end if;
    end loop;
    return digits(20 to 20);
  end function tb_image;

  function tb_image(v : std_logic) return string is
  begin
    return tb_image((0 => v));
  end function tb_image;

  procedure tb_fail(at : integer; signal_name, expected, got : string) is
    variable l : line;
  begin
    write(l, "FAIL time " & integer'image(at) & " signal " & signal_name & " expected " & expected &
             " got " & got);
    writeline(output, l);
  end procedure tb_fail;
)";

}  // namespace

std::string PrintVhdlTestbench(const std::string& entity_name, const std::vector<Port>& ports,
                               const VectorFile& vectors,
                               const std::optional<std::vector<std::vector<std::uint64_t>>>& decoder_codewords,
                               const std::string& header_comment) {
  CheckVectorsAgainstPorts(ports, vectors);
  std::ostringstream out;
  out << CommentLines(header_comment, "--");
  const std::string tb = entity_name + "_tb";
  out << "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\nuse std.textio.all;\n\n"
      << "entity " << tb << " is\nend entity " << tb << ";\n\narchitecture sim of " << tb << " is\n";
  // Inputs are 0 until the file sets them.
  for (const Port& port : ports) {
    out << "  signal " << port.name << " : " << PortType(port);
    if (!port.output) out << " := " << Zero(port);
    out << ";\n";
  }
  out << "  -- True from STOP or the first FAIL on: the clock stops and the\n"
      << "  -- simulation runs out of events.\n"
      << "  signal tb_done : boolean := false;\n";
  if (decoder_codewords) {
    out << "  signal tb_decoder_checks, tb_word, tb_symbol : natural := 0;\n"
        << "  signal tb_decoder_failed : boolean := false;\n";
  }
  out << kHelpers;

  std::ostringstream processes;
  std::vector<Event> events;
  std::map<std::string, bool> driven;
  for (const VectorSignal& signal : vectors.signals) {
    const Port& port = RequirePort(ports, signal.name, signal.output);
    if (!signal.repeating.empty()) {
      processes << "\n  -- " << signal.name << ": a new value every " << vectors.interval << " ns from "
                << vectors.start << " ns until STOP.\n  process\n  begin\n";
      if (vectors.start > 0) processes << "    wait for " << vectors.start << " ns;\n";
      processes << "    while not tb_done loop\n";
      for (std::size_t k = 0; k < signal.repeating.size(); ++k) {
        if (k) processes << "      exit when tb_done;\n";
        processes << "      " << signal.name << " <= " << Value(port, signal.repeating[k]) << ";\n"
                  << "      wait for " << vectors.interval << " ns;\n";
      }
      processes << "    end loop;\n    wait;\n  end process;\n";
    } else {
      for (const TimedValue& change : signal.timed) {
        events.push_back({change.time, 1, signal.name + " <= " + Value(port, change.value) + ";"});
      }
    }
  }
  std::map<int, bool> expected_outputs;
  for (const Expectation& e : vectors.expectations) {
    const VectorSignal& signal = vectors.signals[static_cast<std::size_t>(e.signal)];
    const Port& port = RequirePort(ports, signal.name, true);
    expected_outputs[e.signal] = true;
    events.push_back({e.time + 1, 0,
                      "tb_expect_" + signal.name + "(" + Value(port, e.value) + ", \"" + std::to_string(e.value) +
                          "\", " + std::to_string(e.time) + ");"});
  }

  if (decoder_codewords) {
    const std::vector<std::vector<std::uint64_t>>& codewords = *decoder_codewords;
    const Port& rsout = CheckDecoderCodewords(ports, codewords);
    const Port& clock = RequirePort(ports, "sysclk", false);
    if (clock.width != 0 || rsout.bits() > 30) throw std::invalid_argument("testbench: not a decoder's ports");
    const bool has_reset = FindPort(ports, "reset") != nullptr;
    const bool has_dsout = FindPort(ports, "dsout") != nullptr;
    const std::size_t n = codewords.empty() ? 1 : codewords.front().size();
    const std::size_t total = codewords.size() * n;
    out << "\n  type tb_symbols is array (natural range <>) of natural;\n"
        << "  constant tb_sent : tb_symbols(0 to " << (total ? total - 1 : 0) << ") := (";
    if (total <= 1) out << "0 => ";
    if (total == 0) out << '0';
    for (std::size_t w = 0; w < codewords.size(); ++w) {
      for (std::size_t s = 0; s < n; ++s) {
        const std::size_t k = w * n + s;
        out << (k ? "," : "") << (k % 16 ? " " : "\n    ") << codewords[w][s];
      }
    }
    out << ");\n";
    const std::string fail = "          tb_fail(now / 1 ns, ";
    const std::string sent = "tb_sent(word * " + std::to_string(n) + " + symbol)";
    processes << "\n  -- The decoder puts each codeword sent out unchanged: outvalid high on\n"
              << "  -- " << n << " edges, rsout the symbols in order, numerr 0, decfail 0.\n"
              << "  process (sysclk)\n    variable word, symbol : natural := 0;\n"
              << "    variable failed : boolean := false;\n  begin\n"
              << "    if rising_edge(sysclk) and not tb_done and not failed and now < " << vectors.stop << " ns"
              << (has_reset ? " and reset = '0'" : "") << (has_dsout ? " and dsout = '1'" : "") << " then\n"
              << "      if outvalid = '1' then\n"
              << "        failed := true;\n"
              << "        if word >= " << codewords.size() << " then\n"
              << fail << "\"outvalid\", \"0\", tb_image(outvalid));\n"
              << "        elsif rsout /= std_logic_vector(to_unsigned(" << sent << ", " << rsout.bits() << ")) then\n"
              << fail << "\"rsout\", integer'image(" << sent << "), tb_image(rsout));\n"
              << "        elsif numerr /= (numerr'range => '0') then\n"
              << fail << "\"numerr\", \"0\", tb_image(numerr));\n"
              << "        elsif decfail /= '0' then\n"
              << fail << "\"decfail\", \"0\", tb_image(decfail));\n"
              << "        else\n          failed := false;\n"
              << "          tb_decoder_checks <= tb_decoder_checks + 1;\n          symbol := symbol + 1;\n"
              << "          if symbol = " << n << " then\n            symbol := 0;\n            word := word + 1;\n"
              << "          end if;\n        end if;\n"
              << "      elsif symbol /= 0 then\n"
              << "        tb_fail(now / 1 ns, \"outvalid\", \"1\", tb_image(outvalid));\n"
              << "        failed := true;\n      end if;\n"
              << "      tb_word <= word;\n      tb_symbol <= symbol;\n      tb_decoder_failed <= failed;\n"
              << "    end if;\n  end process;\n";
  }

  out << "begin\n  tb_core : entity work." << entity_name << "\n    port map (\n";
  for (std::size_t p = 0; p < ports.size(); ++p) {
    out << "      " << ports[p].name << " => " << ports[p].name << (p + 1 < ports.size() ? ",\n" : ");\n");
  }
  out << processes.str();

  out << "\n  -- The timed values and checks of the vector file, then STOP.\n  process\n"
      << "    variable tb_checks : natural := 0;\n    variable l : line;\n"
      << "\n    -- After a FAIL: the clock stops and nothing happens any more.\n"
      << "    procedure tb_end is\n    begin\n      tb_done <= true;\n      wait;\n    end procedure;\n";
  const std::string decoder_failed = decoder_codewords ? "tb_decoder_failed" : "";
  // Waits, ending the run early when the decoder check fails meanwhile.
  const auto wait_for = [&](long long t) {
    if (decoder_failed.empty()) return "    wait for " + std::to_string(t) + " ns;\n";
    return "    wait until " + decoder_failed + " for " + std::to_string(t) + " ns;\n    if " + decoder_failed +
           " then\n      tb_end;\n    end if;\n";
  };
  for (const auto& [index, unused] : expected_outputs) {
    const std::string& name = vectors.signals[static_cast<std::size_t>(index)].name;
    const Port& port = RequirePort(ports, name, true);
    out << "\n    procedure tb_expect_" << name << "(expected : " << (port.width == 0 ? "std_logic" : "std_logic_vector")
        << "; expected_text : string; at : integer) is\n    begin\n"
        << "      if " << name << " /= expected then\n"
        << "        tb_fail(at, \"" << name << "\", expected_text, tb_image(" << name << "));\n        tb_end;\n"
        << "      end if;\n"
        << "      tb_checks := tb_checks + 1;\n    end procedure;\n";
  }
  out << "  begin\n";
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.time != b.time ? a.time < b.time : a.order < b.order;
  });
  long long now = 0;
  for (const Event& event : events) {
    if (event.time >= vectors.stop) break;
    if (event.time > now) out << wait_for(event.time - now);
    now = std::max(now, event.time);
    out << "    " << event.text << '\n';
  }
  if (vectors.stop > now) out << wait_for(vectors.stop - now);
  std::string checks = "tb_checks";
  if (decoder_codewords) {
    const std::size_t words = decoder_codewords->size();
    out << "    if tb_word /= " << words << " or tb_symbol /= 0 then\n"
        << "      tb_fail(now / 1 ns, \"outvalid\", \"" << words << " codewords\", integer'image(tb_word));\n"
        << "      tb_end;\n    end if;\n";
    checks = "tb_checks + tb_decoder_checks";
  }
  out << "    if " << checks << " = 0 then\n"
      << "      write(l, string'(\"FAIL time " << vectors.stop << " nothing was checked\"));\n"
      << "      writeline(output, l);\n      tb_end;\n"
      << "    end if;\n"
      << "    write(l, \"PASS \" & integer'image(" << checks << "));\n    writeline(output, l);\n"
      << "    tb_end;\n  end process;\nend architecture sim;\n";
  return out.str();
}

}  // namespace codexel::hdl
