// The preview's cost for one click: the RS symbol laid out again and the
// panel painted, for the largest symbol (an erasure-supporting decoder with
// the longest field polynomial and a long design name), on the real fonts.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>

#include "platform/qt_services.h"
#include "rs_pages/rs_parameters.h"
#include "symbol/rs_symbol.h"
#include "symbol/symbol_panel.h"

namespace codexel {
namespace {

RsParameters LargestSymbol() {
  RsParameters p;
  p.Enc_Dec = 0;
  p.Eras_Stnd = 1;
  p.Disc_Stream = 0;
  p.Fast_Small = 0;
  p.m = 8;
  p.n = 255;
  p.r = 50;
  p.irrpol = 501;  // seven terms: the longest polynomial text
  p.genstart = 205;
  return p;
}

void BM_RefreshPreview(benchmark::State& state) {
  QtTextMetrics metrics;
  Symbol symbol(metrics);
  symbol.set_preview_width(PreviewBaseWidth(metrics) + 16);
  const RsParameters parameters = LargestSymbol();
  const std::string name = "reed_solomon_erasure_decoder_for_the_satellite_link";
  SymbolPanel panel(symbol, nullptr);
  panel.resize(symbol.preview_width(), symbol.preview_height());
  QImage image(panel.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    LayoutRsSymbol(symbol, parameters, name, metrics);
    panel.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_RefreshPreview)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace codexel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
