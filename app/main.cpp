// The wizard's entry: builds the application object on the platform's
// services and hands the arguments to its start-up.

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rs_pages/rs_page_factory.h"
#include "platform/qt_help_viewer.h"
#include "platform/qt_message_box.h"
#include "platform/qt_services.h"
#include "rs_engine/rs_wizard_app.h"

namespace {

bool DisplayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// The display settings the platform tried, for the refusal's line.
std::string DisplaySettings() {
  std::string settings;
  for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    if (!settings.empty()) settings += ", ";
    settings += std::string(name) + "=" + value;
  }
  return settings;
}

// While the application object starts: Qt's notes are not shown, and its
// fatal failure (no platform plugin could start, as when the display cannot
// be reached) ends the program with one line and status 1 instead of an
// abort. Nothing has been written at that point.
void StartUpMessages(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type != QtFatalMsg) return;
  std::fprintf(stderr, "codexel: the display cannot be reached (%s)\n", DisplaySettings().c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond the file-size limit fails with an error that is
  // reported, instead of ending the process halfway.
  std::signal(SIGXFSZ, SIG_IGN);
  // The wizard's own grammar reads every argument; Qt sees none of them.
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!DisplayAvailable()) {
    std::fprintf(stderr, "codexel: no display available (DISPLAY is not set)\n");
    return 1;
  }
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  const QtMessageHandler qt_messages = qInstallMessageHandler(StartUpMessages);
  QApplication qt_app(qt_argc, qt_argv);
  qInstallMessageHandler(qt_messages);
  codexel::WatchForLostWindows();

  codexel::QtMessageService messages;
  codexel::SocketCallerNotifier notifier;
  codexel::QtTextMetrics metrics;
  codexel::PosixFileSystem files;
  codexel::QtProcessServices process;
  codexel::QtHelpViewer help;
  codexel::PlatformServices services{messages, notifier, metrics, files, process, &help};

  codexel::QtRsPageFactory pages;
  codexel::RsWizardApp app(services, &pages);
  return app.Run(args);
}
