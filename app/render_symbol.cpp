// Developer tool: lays out the RS symbol for a parameter set given on the
// command line and renders the preview panel to a PNG, as the RS pages show
// it. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt_canvas.h"
#include "platform/qt_services.h"
#include "rs_pages/rs_parameters.h"
#include "symbol/rs_symbol.h"
#include "symbol/symbol.h"

namespace {

constexpr const char* kUsage =
    "usage: codexel-render-symbol [options] <output.png>\n"
    "  --m N --n N --r N --irrpol N --genstart N   code parameters (default 4 5 4 19 0)\n"
    "  --decoder      a decoder (default: encoder)\n"
    "  --erasure      erasure-supporting decoder (default: standard)\n"
    "  --half         half speed (default: full)\n"
    "  --streaming    streaming architecture (default: discrete)\n"
    "  --name TEXT    design base name shown as the title (default: rsdemo)\n"
    "  --scale N      enlarge the picture N times, pixel for pixel (default 1)\n"
    "  --lines        also print the symbol lines to standard output\n"
    "  --metrics      also print the screen's dpi, the heights of Arial 7, 8, 10 and W\n";

struct Options {
  codexel::RsParameters parameters;
  std::string name = "rsdemo";
  std::string output;
  int scale = 1;
  bool lines = false;
  bool metrics = false;
};

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// Parses the arguments; prints the problem and returns nothing on a bad one.
std::optional<Options> ParseOptions(const std::vector<std::string>& args) {
  Options options;
  codexel::RsParameters& p = options.parameters;
  const std::map<std::string, int*> numbers = {{"--m", &p.m},
                                               {"--n", &p.n},
                                               {"--r", &p.r},
                                               {"--irrpol", &p.irrpol},
                                               {"--genstart", &p.genstart},
                                               {"--scale", &options.scale}};
  const std::map<std::string, std::pair<int*, int>> flags = {{"--decoder", {&p.Enc_Dec, 0}},
                                                             {"--erasure", {&p.Eras_Stnd, 1}},
                                                             {"--half", {&p.Fast_Small, 0}},
                                                             {"--streaming", {&p.Disc_Stream, 0}}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (auto number = numbers.find(arg); number != numbers.end()) {
      const std::optional<int> value = has_value ? ParseNumber(args[++i]) : std::nullopt;
      if (!value) {
        std::cerr << "codexel-render-symbol: " << arg << " needs an integer\n";
        return std::nullopt;
      }
      *number->second = *value;
    } else if (auto flag = flags.find(arg); flag != flags.end()) {
      *flag->second.first = flag->second.second;
    } else if (arg == "--name" && has_value) {
      options.name = args[++i];
    } else if (arg == "--lines") {
      options.lines = true;
    } else if (arg == "--metrics") {
      options.metrics = true;
    } else if (!arg.empty() && arg[0] != '-' && options.output.empty()) {
      options.output = arg;
    } else {
      std::cerr << "codexel-render-symbol: unexpected argument '" << arg << "'\n";
      return std::nullopt;
    }
  }
  if (options.scale < 1 || options.scale > 16) {
    std::cerr << "codexel-render-symbol: --scale must be 1 to 16\n";
    return std::nullopt;
  }
  if (options.output.empty()) {
    std::cerr << "codexel-render-symbol: no output file given\n";
    return std::nullopt;
  }
  return options;
}

void PrintMetrics(codexel::TextMetrics& metrics, const codexel::Symbol& symbol) {
  auto height = [&](int points) { return metrics.Height({"Arial", points}, "X"); };
  std::cout << "dpi " << metrics.VerticalDpi() << " h7 " << height(7) << " h8 " << height(8)
            << " h10 " << height(10) << " W " << symbol.width() << " preview "
            << symbol.preview_width() << "x" << symbol.preview_height() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  const std::optional<Options> options = ParseOptions(args);
  if (!options) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  QApplication app(qt_argc, qt_argv);

  codexel::QtTextMetrics metrics;
  codexel::Symbol symbol(metrics);
  symbol.set_preview_width(codexel::PreviewBaseWidth(metrics) + 16);
  codexel::LayoutRsSymbol(symbol, options->parameters, options->name, metrics);

  // Painted at the resolution the texts were measured at.
  QImage image(symbol.preview_width(), symbol.preview_height(), QImage::Format_RGB32);
  const int dots_per_metre = static_cast<int>(metrics.VerticalDpi() / 0.0254 + 0.5);
  image.setDotsPerMeterX(dots_per_metre);
  image.setDotsPerMeterY(dots_per_metre);
  {
    QPainter painter(&image);
    codexel::QtCanvas canvas(painter);
    codexel::PaintPreviewPanel(canvas, symbol, {0, 0, image.width(), image.height()});
  }
  if (options->scale > 1) {
    image =
        image.scaled(image.size() * options->scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  }
  if (!image.save(QString::fromStdString(options->output), "PNG")) {
    std::cerr << "codexel-render-symbol: cannot write " << options->output << "\n";
    return 1;
  }
  if (options->lines) symbol.WriteSymbol(std::cout);
  if (options->metrics) PrintMetrics(metrics, symbol);
  std::cout.flush();
  return std::cout ? 0 : 1;
}
