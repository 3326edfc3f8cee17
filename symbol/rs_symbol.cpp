#include "symbol/rs_symbol.h"

#include <algorithm>
#include <cstdint>

#include "host/number_text.h"
#include "host/wizard_app.h"

namespace codexel {
namespace {

constexpr const char* kFace = "Arial";

std::string BusLabel(const std::string& name, int width) {
  return width < 2 ? name : name + "[" + FormatInt(width) + "..1]";
}

struct ParameterLine {
  std::string text;
  int y;
};

// The texts of the body's left column, in the order they are added.
std::vector<ParameterLine> ParameterLines(const RsParameters& p) {
  return {{"irrpol = " + FormatInt(p.irrpol), 192},
          {PolynomialText(p.irrpol), 208},
          {"n = " + FormatInt(p.n), 160},
          {"r = " + FormatInt(p.r), 176},
          {"genstart = " + FormatInt(p.genstart), 224}};
}

int BoxWidth(const TextMeasurer& m8, const TextMeasurer& m10, const TextMeasurer& m7,
             const std::string& title, const RsParameters& p) {
  const int w_in = m8.Width(BusLabel("rsin", p.m));
  const int w_out = m8.Width(BusLabel("rsout", p.m));
  // The word, not the clock pin's name, sizes the left column.
  const int w_clk = m8.Width("clock");
  const int w_title = m10.Width(title) + 8;
  const int w_irr = m7.Width("irrpol = " + FormatInt(p.irrpol)) + 8;
  const int w_poly = m7.Width(PolynomialText(p.irrpol)) + 8;
  const int a = RoundUp8(std::max(w_clk, w_in) + 8);
  const int b = RoundUp8(w_out + 8);
  int width = w_poly > a + b ? w_poly + 32 : a + b + 32;
  if (w_title > width) width = RoundUp8(w_title);
  if (w_irr + 32 > width) width = RoundUp8(w_irr + 32);
  return width;
}

void AddTexts(Symbol& symbol, TextMetrics& metrics, const std::string& title,
              const RsParameters& p) {
  const int centre = symbol.width() / 2;
  auto add = [&](int x, int y, const std::string& text, int size, int anchor) {
    symbol.AddText(SymbolText(metrics, {.x = x,
                                        .y = y,
                                        .text = text,
                                        .colour = kTeal,
                                        .size = size,
                                        .anchor = anchor,
                                        .orientation = kHorizontal,
                                        .face = kFace,
                                        .h_margin = 1,
                                        .v_margin = 1}));
  };
  const DeviceLines device = DescribeDevice(p);
  add(centre, 0, title, 10, 1);
  add(centre, 234, device.first, 10, 4);
  add(centre, 248, device.second, 10, 4);
  for (const ParameterLine& line : ParameterLines(p)) add(20, line.y, line.text, 7, 6);
}

void AddBody(Symbol& symbol) {
  const int w = symbol.width();
  symbol.AddLine(SymbolLine(16, 16, kBlack, 0, 208));
  symbol.AddLine(SymbolLine(w - 16, 16, kBlack, 0, 208));
  symbol.AddLine(SymbolLine(16, 16, kBlack, w - 32, 0));
  symbol.AddLine(SymbolLine(16, 224, kBlack, w - 32, 0));
}

void AddPins(Symbol& symbol, TextMetrics& metrics, const RsParameters& p) {
  const int w = symbol.width();
  auto add = [&](bool right, int y, const std::string& name, bool bus) {
    symbol.AddPin(SymbolPin(metrics, {.x = right ? w : 0,
                                      .y = y,
                                      .dx = right ? -16 : 16,
                                      .dy = 0,
                                      .name = name,
                                      .port_name = name,
                                      .bus = bus ? 1 : 0,
                                      .direction = right ? kPinOutput : kPinInput,
                                      .anchor = right ? 5 : 3,
                                      .inner = 1,
                                      .orientation = kHorizontal,
                                      .clock = false,
                                      .bus_width = 0,
                                      .slash_x = 0}));
  };
  constexpr bool kLeft = false;
  constexpr bool kRight = true;
  const bool encoder = p.Enc_Dec == 1;
  const int k = NumerrWidth(p.r);
  add(kRight, 32, BusLabel("rsout", p.m), p.m > 1);
  add(kLeft, 32, BusLabel("rsin", p.m), p.m > 1);
  add(kLeft, 48, "sysclk", false);
  add(kLeft, 64, "reset", false);
  if (!encoder) add(kRight, 48, "rdyin", false);
  if (encoder) {
    add(kLeft, 80, "start", false);
    add(kLeft, 96, "enable", false);
    return;
  }
  add(kLeft, 80, "dsin", false);
  add(kLeft, 96, "dsout", false);
  add(kLeft, 112, "bypass", false);
  if (p.Eras_Stnd == 1) add(kLeft, 128, "eras_ind", false);
  add(kRight, 64, "outvalid", false);
  add(kRight, 80, "decfail", false);
  add(kRight, 96, BusLabel("numerr", k), k > 1);
}

}  // namespace

int RoundUp8(int v) { return (v + 7) / 8 * 8; }

int PreviewBaseWidth(TextMetrics& metrics) {
  const TextMeasurer m8(metrics, kFace, 8);
  return RoundUp8(m8.Width("RS_output [8..0]") + 8) + RoundUp8(m8.Width("RS_input [8..0]") + 8) +
         48;
}

std::string PolynomialText(int value) {
  std::string text;
  bool written = false;
  for (int i = 0; value > 0; ++i, value /= 2) {
    if (value % 2 == 0) continue;
    if (i == 0) {
      text = "1";
    } else if (!written) {
      text = "x^" + FormatInt(i);
    } else {
      text = "x^" + FormatInt(i) + " + " + text;
    }
    written = true;
  }
  return text;
}

DeviceLines DescribeDevice(const RsParameters& p) {
  if (p.Enc_Dec == 1) return {"encoder", " "};
  const std::string type = p.Eras_Stnd == 1 ? "erasure-supporting " : "standard ";
  const std::string speed = p.Fast_Small == 1 ? "full " : "half ";
  const std::string architecture = p.Disc_Stream == 1 ? "discrete " : "streaming ";
  return {speed + type, architecture + "decoder"};
}

void LayoutRsSymbol(Symbol& symbol, const RsParameters& parameters,
                    const std::string& design_base_name, TextMetrics& metrics) {
  const TextMeasurer m8(metrics, kFace, 8);
  const TextMeasurer m10(metrics, kFace, 10);
  const TextMeasurer m7(metrics, kFace, 7);
  const std::string title =
      FitDesignName(metrics, design_base_name, PreviewBaseWidth(metrics) - 8, FontFace{kFace, 10});
  symbol.Reset(BoxWidth(m8, m10, m7, title, parameters), kRsBoxHeight);
  AddTexts(symbol, metrics, title, parameters);
  AddBody(symbol);
  AddPins(symbol, metrics, parameters);
}

}  // namespace codexel
