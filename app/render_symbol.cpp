// Developer tool: lays out the RS symbol for a parameter set given on the
// command line and renders the preview panel to a PNG, as the RS pages show
// it. The device and code options are codexel-gen's, through its parser.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "app/batch_generator.h"
#include "platform/qt_canvas.h"
#include "platform/qt_services.h"
#include "rs_engine/rs_wizard_app.h"
#include "rs_pages/rs_parameters.h"
#include "symbol/rs_symbol.h"
#include "symbol/symbol.h"

namespace {

constexpr const char* kProgram = "codexel-render-symbol";

constexpr const char* kUsage =
    "Usage: codexel-render-symbol [OPTIONS] OUTPUT.png\n"
    "Lays out the RS symbol for the options given and renders its preview panel\n"
    "to OUTPUT.png, as the wizard's pages show it.\n"
    "\n"
    "The device and code options are those of codexel-gen (see codexel-gen --help):\n"
    "  --encoder --decoder --standard --erasures --discrete --streaming --full\n"
    "  --half -m N -n N -r N --irrpol N --genstart N --dvb\n"
    "\n"
    "  --name TEXT    design base name shown as the title (default: rsdemo)\n"
    "  --scale N      enlarge the picture N times, pixel for pixel: 1 to 16 (default 1)\n"
    "  --lines        also print the symbol lines to standard output\n"
    "  --metrics      also print the screen's dpi, the heights of Arial 7, 8, 10 and W\n"
    "  --help         print this help and exit\n";

const codexel::GenToolSyntax kSyntax{kProgram,
                                     "output file",
                                     {{"--name", true},
                                      {"--scale", true},
                                      {"--lines", false},
                                      {"--metrics", false}}};

struct Options {
  codexel::RsParameters parameters;
  std::string name = "rsdemo";
  std::string output;
  int scale = 1;
  bool lines = false;
  bool metrics = false;
};

// The options, or the one line that tells what is wrong with them.
std::variant<Options, std::string> ParseOptions(const codexel::GenOptions& given) {
  // Options of the generator that ask for something a picture does not do.
  if (given.edit) return std::string("--edit is not for a picture: give the values");
  if (given.list) return std::string("--list is not for a picture");
  if (given.throughput) return std::string("--throughput is not for a picture");
  if (given.hdl) return std::string("--hdl is not for a picture");
  Options options;
  if (auto error = codexel::ApplyGenOptions(given, options.parameters)) return *error;
  options.output = given.design_path;
  const auto& own = given.tool_options;
  if (auto name = own.find("--name"); name != own.end()) options.name = name->second;
  if (auto scale = own.find("--scale"); scale != own.end()) {
    const std::string& text = scale->second;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, options.scale);
    if (error != std::errc() || ptr != end || options.scale < 1 || options.scale > 16) {
      return "--scale '" + text + "' must be an integer from 1 to 16";
    }
  }
  options.lines = own.count("--lines") > 0;
  options.metrics = own.count("--metrics") > 0;
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
  const codexel::GenCommand command = codexel::ParseGenCommandLine(args, kSyntax);
  if (command.action == codexel::GenAction::kHelp) {
    std::fputs(kUsage, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (command.action == codexel::GenAction::kVersion) {
    std::printf("%s (%s)\n", kProgram, codexel::kRsProgramTitle);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  const auto parsed = command.action == codexel::GenAction::kError
                          ? std::variant<Options, std::string>(command.error)
                          : ParseOptions(command.options);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::string line = *error;  // one line, whatever the arguments held
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::cerr << kProgram << ": " << line << "\n";
    return 1;
  }
  const Options* options = &std::get<Options>(parsed);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  QGuiApplication app(qt_argc, qt_argv);

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
