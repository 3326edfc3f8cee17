#include "platform/qt_services.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/qt_font.h"

namespace codexel {

QFont MakeQFont(const FontRequest& request) {
  QFont font(QString::fromStdString(request.face));
  font.setPixelSize(request.PixelSize() > 0 ? request.PixelSize() : 1);
  font.setItalic(request.italic);
  font.setUnderline(request.underline);
  font.setStrikeOut(request.strike_out);
  if (request.weight > 0) font.setWeight(static_cast<QFont::Weight>(request.weight));
  // Whole-pixel glyph advances and no kerning: a text's width is the sum of
  // its characters' widths, as the symbol's geometry assumes.
  font.setKerning(false);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

// ---- Caller notification ----

std::string SocketCallerNotifier::SocketName(int thread_id) {
  return "quillwork-" + std::to_string(thread_id);
}

void SocketCallerNotifier::Post(int thread_id, int message, int x, int y) {
  const std::string name = SocketName(thread_id);
  const std::string payload =
      std::to_string(message) + " " + std::to_string(x) + " " + std::to_string(y);
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // Abstract namespace: a leading NUL, then the name without a terminator.
  const std::size_t length = std::min(name.size(), sizeof(address.sun_path) - 1);
  std::memcpy(address.sun_path + 1, name.data(), length);
  const auto address_length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
  // Fire and forget: nobody listening is not an error for the wizard.
  (void)::sendto(fd, payload.data(), payload.size(), MSG_DONTWAIT,
                 reinterpret_cast<const sockaddr*>(&address), address_length);
  ::close(fd);
}

// ---- Process ----

std::string QtProcessServices::ExecutablePath() {
  // The file itself, whatever symbolic link started it: the installed
  // /usr/bin/codexel is a link, and the help sits beside the real program.
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n > 0) {
    path.resize(static_cast<std::size_t>(n));
    return path;
  }
  return QCoreApplication::applicationFilePath().toStdString();
}

void QtProcessServices::Exit(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

// ---- Text metrics ----

int ScreenVerticalDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
}

int QtTextMetrics::VerticalDpi() { return ScreenVerticalDpi(); }

QtTextMetrics::Entry& QtTextMetrics::EntryFor(const FontFace& font) {
  const int dpi = VerticalDpi();
  for (Entry& entry : fonts_) {
    if (entry.dpi == dpi && entry.font == font) return entry;
  }
  fonts_.push_back(
      {font, dpi, QFontMetrics(MakeQFont(MakeFontRequest(font.face, font.points, false, dpi))), {}});
  return fonts_.back();
}

int QtTextMetrics::Width(const FontFace& font, std::string_view text) {
  constexpr std::size_t kMaxKeptWidths = 4096;
  Entry& entry = EntryFor(font);
  const std::string key(text);
  if (auto kept = entry.widths.find(key); kept != entry.widths.end()) return kept->second;
  const int width = entry.metrics.horizontalAdvance(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  if (entry.widths.size() >= kMaxKeptWidths) entry.widths.clear();
  entry.widths.emplace(key, width);
  return width;
}

int QtTextMetrics::Height(const FontFace& font, std::string_view) {
  return EntryFor(font).metrics.height();
}

}  // namespace codexel
