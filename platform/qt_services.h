#pragma once
// The platform services on Qt and POSIX that need no widgets: the batch
// generator links them with Qt Gui alone. The message box is in
// qt_message_box.h, with the widgets.

#include <QFontMetrics>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/posix_files.h"
#include "platform/services.h"

namespace codexel {

// One datagram "<message> <x> <y>" to the abstract Unix socket
// "quillwork-<id>", sent without waiting; dropped when nobody listens.
class SocketCallerNotifier : public CallerNotifier {
 public:
  void Post(int thread_id, int message, int x, int y) override;
  static std::string SocketName(int thread_id);
};

class QtProcessServices : public ProcessServices {
 public:
  std::string ExecutablePath() override;
  [[noreturn]] void Exit(int status) override;
};

// Vertical dots per inch of the primary screen (96 without one).
int ScreenVerticalDpi();

// Measures with QFontMetrics on the screen's resolution. Needs a
// QGuiApplication.
class QtTextMetrics : public TextMetrics {
 public:
  int Width(const FontFace& font, std::string_view text) override;
  int Height(const FontFace& font, std::string_view text) override;
  int VerticalDpi() override;

 private:
  // Building font metrics looks the face up and every width shapes the text;
  // a layout measures the same few fonts and mostly the same texts again on
  // each refresh, so both are kept (the widths up to a bound).
  struct Entry {
    FontFace font;
    int dpi;
    QFontMetrics metrics;
    std::unordered_map<std::string, int> widths;
  };
  Entry& EntryFor(const FontFace& font);
  std::vector<Entry> fonts_;
};

}  // namespace codexel
