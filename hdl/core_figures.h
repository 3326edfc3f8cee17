#pragma once
// What the written core does, as its design file's header and the extra
// files page state it: the latency, how often it takes a codeword, and the
// symbol rate that gives at a clock frequency.

#include <string>

#include "rs_pages/rs_parameters.h"

namespace codexel::hdl {

// The encoder puts a symbol out one clock after it takes it.
inline constexpr int kEncoderLatency = 1;

struct CoreFigures {
  bool decoder = false;
  int latency = 0;   // clocks from taking a (last) symbol to loading the (first) one out
  int interval = 0;  // fewest clocks from one codeword's start to the next; n for the encoder
  int page_cycles = 0;  // a decoder's cycles per codeword on the extra files page
};

// Throws std::logic_error for a decoder no plan can be made for (no legal
// parameter set).
CoreFigures FiguresOf(const RsParameters& parameters);

// The extra files page's line under "Write the core into the design file":
// the encoder takes a symbol a clock, with its latency; a decoder states its
// latency and interval, and with a frequency in MHz that passes the
// integer-text check, the rate that interval gives in the page's unit.
std::string CoreFiguresText(const RsParameters& parameters, const std::string& frequency_text);

}  // namespace codexel::hdl
