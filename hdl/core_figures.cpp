#include "hdl/core_figures.h"

#include <cstdlib>

#include "hdl/decoder_plan.h"
#include "host/number_text.h"
#include "rs_pages/throughput.h"

namespace codexel::hdl {

namespace {

std::string Clocks(int count) { return std::to_string(count) + (count == 1 ? " clock" : " clocks"); }

}  // namespace

CoreFigures FiguresOf(const RsParameters& p) {
  CoreFigures figures;
  if (p.Enc_Dec == 1) {
    figures.latency = kEncoderLatency;
    figures.interval = p.n;
    return figures;
  }
  const DecoderPlan plan = PlanDecoder(p);
  figures.decoder = true;
  figures.latency = plan.latency;
  figures.interval = plan.interval;
  figures.page_cycles = plan.page_cycles;
  return figures;
}

std::string CoreFiguresText(const RsParameters& p, const std::string& frequency_text) {
  const CoreFigures figures = FiguresOf(p);
  if (!figures.decoder) return "Core: a symbol every clock, latency " + Clocks(figures.latency);
  std::string text =
      "Core: latency " + Clocks(figures.latency) + ", a codeword every " + Clocks(figures.interval);
  if (!frequency_text.empty() && IsIntegerText(frequency_text)) {
    text += ": " + RateText(p, std::strtod(frequency_text.c_str(), nullptr), figures.interval) + " at " +
            frequency_text + " MHz";
  }
  return text;
}

}  // namespace codexel::hdl
