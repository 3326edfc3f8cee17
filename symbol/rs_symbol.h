#pragma once
// The Reed-Solomon core's symbol, laid out from the parameter set.

#include <string>

#include "platform/text_metrics.h"
#include "rs_pages/rs_parameters.h"
#include "symbol/symbol.h"

namespace codexel {

inline constexpr int kRsBoxHeight = 256;

// v rounded up to the next multiple of 8.
int RoundUp8(int v);

// Width of the two label columns of the widest core, plus room for the
// stubs; the preview panel is this + 16 wide and the title gets this − 8.
int PreviewBaseWidth(TextMetrics& metrics);

// The field polynomial of bit mask `value`, highest power first, e.g.
// "x^4 + x^1 + 1" for 19; empty for value <= 0.
std::string PolynomialText(int value);

// The two description lines below the body.
struct DeviceLines {
  std::string first;
  std::string second;
};
DeviceLines DescribeDevice(const RsParameters& parameters);

// Rebuilds `symbol` from the parameters: title, device lines, parameter
// lines, body and one pin per port of the core.
void LayoutRsSymbol(Symbol& symbol, const RsParameters& parameters,
                    const std::string& design_base_name, TextMetrics& metrics);

}  // namespace codexel
