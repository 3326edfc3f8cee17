#pragma once
// The VHDL back end: one self-contained entity and architecture per netlist,
// the same hardware the Verilog back end prints, in the subset that
// analyses and elaborates as VHDL-93 and VHDL-2008 alike (only
// ieee.std_logic_1164 and ieee.numeric_std). Every register starts at an
// explicit value, memories are inferable RAM (a read-only one a constant
// array read through a register), tables are constants, a constant
// multiplier is an XOR network, and one gf_mul function serves every
// general multiplier.
//
// Inside, every value is an unsigned(width - 1 downto 0); the ports are
// std_logic, or std_logic_vector(high downto low) as recorded.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hdl/netlist.h"
#include "hdl/vector_file.h"

namespace codexel::hdl {

// Why `name` cannot name the entity of a core with these ports: not a VHDL
// basic identifier, a reserved word of VHDL-93 or VHDL-2008, a name the
// printed design itself relies on, or (case ignored, as VHDL does) the name
// of a port. Nothing when it can.
std::optional<std::string> VhdlNameProblem(const std::string& name, const std::vector<Port>& ports = {});

std::string PrintVhdl(const Netlist& netlist, const std::string& header_comment = "");

// The component declaration of the core, for the declarative part of an
// architecture that instantiates it.
std::string PrintVhdlComponent(const std::string& entity_name, const std::vector<Port>& ports,
                               const std::string& header_comment = "");

// The VHDL testbench of a core, the same checks as PrintTestbench's: the
// vector file's inputs driven and its expected outputs compared one time
// unit (1 ns) after the time the file states, then one line on standard
// output, "PASS <checks>" or, at the first difference,
// "FAIL time <t> signal <name> expected <e> got <g>". Then the clock stops
// and the simulation runs out of events by itself.
// With `decoder_codewords`, also the decoder check of DecoderOutputChecker.
// Throws std::invalid_argument as PrintTestbench does.
std::string PrintVhdlTestbench(const std::string& entity_name, const std::vector<Port>& ports,
                               const VectorFile& vectors,
                               const std::optional<std::vector<std::vector<std::uint64_t>>>& decoder_codewords,
                               const std::string& header_comment = "");

}  // namespace codexel::hdl
