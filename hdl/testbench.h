#pragma once
// The Verilog testbench of a core: its vector file translated. The
// testbench instantiates the core by its port names, drives every input at
// the times the file gives (a repeating pattern such as the clock's from
// START on, every INTERVAL), checks each expected output one time unit after
// the time the file states it (between clock edges), and ends with one line,
//   PASS <checks>
// or, at the first difference,
//   FAIL time <t> signal <name> expected <e> got <g>
// then $finish; at STOP at the latest. One vector-file time unit is 1 ns.
//
// Checks the file does not state (a decoder's file states none) come from
// checkers: Verilog placed in the testbench that counts its checks in
// tb_checks and reports a difference in the same FAIL form.

#include <cstdint>
#include <string>
#include <vector>

#include "hdl/netlist.h"
#include "hdl/vector_file.h"

namespace codexel::hdl {

struct TestbenchChecker {
  // Declarations and processes inside the testbench module. The core's
  // ports are regs and wires of the same names and ranges; tb_checks is the
  // integer count of checks passed.
  std::string body;
  // Statements run at STOP before the PASS line; a failure prints its FAIL
  // line and calls $finish.
  std::string at_stop;
};

// For the testbench printers. The port named, or nothing; the port named in
// the direction given, or std::invalid_argument.
const Port* FindPort(const std::vector<Port>& ports, const std::string& name);
const Port& RequirePort(const std::vector<Port>& ports, const std::string& name, bool output);
// std::invalid_argument where the file and the ports do not fit (as below).
void CheckVectorsAgainstPorts(const std::vector<Port>& ports, const VectorFile& vectors);
// std::invalid_argument where the core lacks a port a decoder checker reads,
// or the codewords differ in length or hold a symbol wider than rsout;
// otherwise rsout.
const Port& CheckDecoderCodewords(const std::vector<Port>& ports,
                                  const std::vector<std::vector<std::uint64_t>>& codewords);

// Throws std::invalid_argument when the file and the ports do not fit: a
// signal the core lacks or has in the other direction, a value wider than
// its port, a repeating pattern with no INTERVAL.
std::string PrintTestbench(const std::string& module_name, const std::vector<Port>& ports,
                           const VectorFile& vectors,
                           const std::vector<TestbenchChecker>& checkers = {},
                           const std::string& header_comment = "");

// ---- Decoders ----

// The codewords a decoder takes from the file's inputs, `n` symbols each,
// rsin as sampled at the rising edges of sysclk before STOP: a codeword
// starts at an edge where dsin is high and was low at the edge before (the
// first edge after power-up or reset counts as following a low one) and no
// codeword is being taken; reset at an edge drops the codeword being taken;
// an edge where dsout is low is skipped.
std::vector<std::vector<std::uint64_t>> DecoderCodewordsSent(const VectorFile& vectors, int n);

// Checks that the codewords come out in order, each on n edges (not counting
// edges where dsout is low) with outvalid high, rsout equal to the codeword,
// numerr 0 and decfail 0, outvalid not falling within a codeword, and that
// all of them are out by STOP.
TestbenchChecker DecoderOutputChecker(const std::vector<std::vector<std::uint64_t>>& codewords,
                                      const std::vector<Port>& ports);

}  // namespace codexel::hdl
