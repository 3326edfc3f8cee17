#pragma once
// The AXI4-Stream wrapper of a core: a netlist of its own that instantiates
// the core unchanged and gives it stream ports with backpressure (tdata,
// tvalid, tready, tlast; a decoder also tuser and a status stream), every
// output from a register.
//
// The core's clock enable (a decoder's dsout, an encoder's enable and start)
// and a decoder's dsin come from registers decided a clock ahead: the core
// takes the next edge only when the symbol it needs is there and whatever it
// may put out at that edge has room. The core's outputs are registers, so what it shows before
// an edge it takes is captured at that edge; a decoder's next symbol waits in
// one register (two where the core may not be ready for a codeword's first
// symbol: then rdyin is known only at the edge itself), and what the core
// puts out waits in two, the second catching a symbol the consumer has not
// taken yet. The core's reset comes from a register too, a clock after the
// wrapper's.

#include <memory>
#include <string>
#include <vector>

#include "hdl/netlist.h"
#include "rs_pages/rs_parameters.h"

namespace codexel::hdl {

// "<core name>_axis"
std::string AxisWrapperName(const std::string& core_name);

// The wrapper's ports in their order: the encoder's (Enc_Dec 1) or a
// decoder's.
std::vector<Port> AxisWrapperPorts(const RsParameters& parameters);

// The wrapper named AxisWrapperName of the core's name, around `core`, the
// netlist BuildRsCore makes for the same parameters with the recorded ports.
// Throws std::logic_error for a core without the ports it needs.
Netlist BuildAxisWrapper(const RsParameters& parameters, std::shared_ptr<const Netlist> core);

}  // namespace codexel::hdl
