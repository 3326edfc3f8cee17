// codexel-gen: the RS variation without the pages. The command line and the
// run live beside it (app/batch_generator.h); this entry only picks the
// graphics platform, which measures the symbol's texts, and starts it once
// the command line has been checked.

#include <QGuiApplication>
#include <QString>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt_services.h"
#include "app/batch_generator.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Text is measured on the display when there is one, as the wizard measures
// it there (the platforms in Qt's own order of preference), and on Qt's
// offscreen platform on a machine without a display, or when the display
// named cannot be reached. Returns whether a display was asked for.
bool ChoosePlatform() {
  if (IsSet("QT_QPA_PLATFORM")) return false;
  std::string platforms;
  const char* session = std::getenv("XDG_SESSION_TYPE");
  if (IsSet("WAYLAND_DISPLAY") || (session && std::string(session) == "wayland")) {
    platforms += "wayland;";
  }
  if (IsSet("DISPLAY")) platforms += "xcb;";
  const bool display = !platforms.empty();
  platforms += "offscreen";
  setenv("QT_QPA_PLATFORM", platforms.c_str(), 1);
  return display;
}

// Qt's notes (a missing runtime directory, a display it could not reach) are
// not this program's errors; only Qt's own failures reach standard error.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "codexel-gen: %s\n", text.toLocal8Bit().constData());
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond the file-size limit fails with an error that is
  // reported, instead of ending the process halfway.
  std::signal(SIGXFSZ, SIG_IGN);
  // Every argument is the generator's own; Qt sees none of them.
  const std::vector<std::string> args(argv + 1, argv + argc);
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  std::optional<QGuiApplication> qt_app;
  std::optional<codexel::QtTextMetrics> metrics;
  codexel::PosixFileSystem files;
  const auto start_platform = [&]() -> codexel::TextMetrics& {
    const bool display_wanted = ChoosePlatform();
    qInstallMessageHandler(QtMessages);
    qt_app.emplace(qt_argc, qt_argv);
    if (display_wanted && QGuiApplication::platformName() == QLatin1String("offscreen")) {
      std::cerr << "codexel-gen: the display cannot be reached; text is measured on the "
                   "offscreen platform\n";
    }
    metrics.emplace();
    return *metrics;
  };
  return codexel::RunGenerator(args, start_platform, files, std::cout, std::cerr);
}
