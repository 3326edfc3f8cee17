#include "platform/qt_canvas.h"

#include <QBrush>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QString>
#include <cmath>
#include <numbers>

#include "platform/qt_font.h"

namespace codexel {
namespace {

QRect ToQRect(const Rect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// Angle of `p` seen from the centre of `box`, counter-clockwise from 3 o'clock
// on the screen, in degrees.
double ScreenAngle(const Rect& box, Point p) {
  const double cx = (box.left + box.right) / 2.0;
  const double cy = (box.top + box.bottom) / 2.0;
  return std::atan2(cy - p.y, p.x - cx) * 180.0 / std::numbers::pi;
}

}  // namespace

QColor ToQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

Rgb FromQColor(const QColor& colour) {
  return Rgb{static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
             static_cast<std::uint8_t>(colour.blue())};
}

Rgb ApplicationDialogFace() {
  return FromQColor(QGuiApplication::palette().color(QPalette::Button));
}

QtCanvas::QtCanvas(QPainter& painter) : QtCanvas(painter, ApplicationDialogFace()) {}

QtCanvas::QtCanvas(QPainter& painter, Rgb dialog_face)
    : painter_(painter), dialog_face_(dialog_face) {}

void QtCanvas::FillRect(const Rect& rect, Rgb colour) {
  if (rect.IsEmpty()) return;
  painter_.fillRect(ToQRect(rect), ToQColor(colour));
}

void QtCanvas::FillCheckerboard(const Rect& rect, Rgb first, Rgb second) {
  if (rect.IsEmpty()) return;
  QImage tile(2, 2, QImage::Format_RGB32);
  tile.setPixelColor(0, 0, ToQColor(first));
  tile.setPixelColor(1, 1, ToQColor(first));
  tile.setPixelColor(1, 0, ToQColor(second));
  tile.setPixelColor(0, 1, ToQColor(second));
  painter_.save();
  // Pinned to the device's origin so that (x + y) even is always `first`.
  painter_.setBrushOrigin(0, 0);
  painter_.fillRect(ToQRect(rect), QBrush(tile));
  painter_.restore();
}

void QtCanvas::DrawLine(Point from, Point to, int width, Rgb colour) {
  QList<QPoint> pixels;
  TraceWideLine(from, to, width, [&](Point p) { pixels.append(QPoint(p.x, p.y)); });
  if (pixels.isEmpty()) return;
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setPen(QPen(ToQColor(colour), 0));  // cosmetic: exactly one pixel each
  painter_.drawPoints(pixels.constData(), static_cast<int>(pixels.size()));
  painter_.restore();
}

void QtCanvas::DrawEllipse(const Rect& box, int width, Rgb colour) {
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setPen(QPen(ToQColor(colour), width));
  painter_.setBrush(Qt::NoBrush);
  painter_.drawEllipse(ToQRect(box));
  painter_.restore();
}

void QtCanvas::DrawArc(const Rect& box, Point start, Point end, int width, Rgb colour) {
  const double from = ScreenAngle(box, start);
  double span = ScreenAngle(box, end) - from;
  if (span <= 0) span += 360.0;
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setPen(QPen(ToQColor(colour), width));
  painter_.drawArc(ToQRect(box), static_cast<int>(std::lround(from * 16)),
                   static_cast<int>(std::lround(span * 16)));
  painter_.restore();
}

void QtCanvas::DrawText(Point top_left, std::string_view text, const FontRequest& font, Rgb colour,
                        Rgb background) {
  const QFont qt_font = MakeQFont(font);
  const QFontMetrics metrics(qt_font, painter_.device());
  const QString qt_text = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  painter_.save();
  painter_.translate(top_left.x, top_left.y);
  // Escapement is counter-clockwise in tenths of a degree; Qt turns clockwise.
  if (font.escapement != 0) painter_.rotate(-font.escapement / 10.0);
  painter_.fillRect(QRect(0, 0, metrics.horizontalAdvance(qt_text), metrics.height()),
                    ToQColor(background));
  painter_.setFont(qt_font);
  painter_.setPen(ToQColor(colour));
  painter_.drawText(QPoint(0, metrics.ascent()), qt_text);
  painter_.restore();
}

int QtCanvas::VerticalDpi() {
  const QPaintDevice* device = painter_.device();
  return device ? device->logicalDpiY() : 96;
}

}  // namespace codexel
