#pragma once
// A hand-built symbol with one of each kind of part: a box with a title, a
// thick line, a vertical text, a bus pin with slash and width, a clocked pin,
// a bidirectional pin and a pin named "-".

#include "symbol/symbol.h"

namespace codexel::testing {

inline void BuildHandSymbol(Symbol& symbol, TextMetrics& metrics) {
  symbol.Reset(100, 80);
  symbol.AddText(SymbolText(metrics, {.x = 50,
                                      .y = 0,
                                      .text = "Title",
                                      .colour = kTeal,
                                      .size = 10,
                                      .anchor = 1,
                                      .h_margin = 1,
                                      .v_margin = 1}));
  symbol.AddLine(SymbolLine(16, 16, kBlack, 0, 48, 1));
  symbol.AddText(SymbolText(metrics, {.x = 40,
                                      .y = 60,
                                      .text = "vert",
                                      .colour = kTeal,
                                      .size = 7,
                                      .anchor = 3,
                                      .orientation = kVertical,
                                      .h_margin = 2,
                                      .v_margin = 1}));
  symbol.AddPin(SymbolPin(metrics, {.x = 0,
                                    .y = 24,
                                    .dx = 16,
                                    .name = "d[7..0]",
                                    .port_name = "d",
                                    .bus = 1,
                                    .anchor = 3,
                                    .bus_width = 8}));
  symbol.AddPin(
      SymbolPin(metrics, {.x = 0, .y = 40, .dx = 16, .name = "clk", .anchor = 3, .clock = true}));
  symbol.AddPin(SymbolPin(metrics, {.x = 100,
                                    .y = 56,
                                    .dx = -16,
                                    .name = "io",
                                    .port_name = "bus_io",
                                    .direction = kPinBidirectional,
                                    .anchor = 5}));
  symbol.AddPin(SymbolPin(
      metrics,
      {.x = 0, .y = 64, .dx = 16, .name = "-", .anchor = 3, .inner = 0, .orientation = kVertical}));
}

}  // namespace codexel::testing
