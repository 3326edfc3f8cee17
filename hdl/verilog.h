#pragma once
// The Verilog-2005 back end: one self-contained module per netlist, with
// only what reaches an output, and nothing a linter or synthesis tool has to
// guess about (every wire sized, every register initialised, no latch).

#include <string>

#include "hdl/netlist.h"

namespace codexel::hdl {

std::string PrintVerilog(const Netlist& netlist, const std::string& header_comment = "");

}  // namespace codexel::hdl
