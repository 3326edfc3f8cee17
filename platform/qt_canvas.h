#pragma once
// The symbol's canvas on a QPainter.

#include <QColor>

#include "symbol/canvas.h"

class QPainter;

namespace codexel {

QColor ToQColor(Rgb colour);
Rgb FromQColor(const QColor& colour);

// The application palette's button colour: the face of dialogs and buttons.
Rgb ApplicationDialogFace();

// Paints through `painter` in its device's pixels. Lines are rasterised here
// rather than by Qt so that the end pixel is left out as the symbol expects.
class QtCanvas : public Canvas {
 public:
  explicit QtCanvas(QPainter& painter);
  QtCanvas(QPainter& painter, Rgb dialog_face);

  void FillRect(const Rect& rect, Rgb colour) override;
  void FillCheckerboard(const Rect& rect, Rgb first, Rgb second) override;
  void DrawLine(Point from, Point to, int width, Rgb colour) override;
  void DrawEllipse(const Rect& box, int width, Rgb colour) override;
  void DrawArc(const Rect& box, Point start, Point end, int width, Rgb colour) override;
  void DrawText(Point top_left, std::string_view text, const FontRequest& font, Rgb colour,
                Rgb background) override;
  int VerticalDpi() override;
  Rgb DialogFaceColour() override { return dialog_face_; }

 private:
  QPainter& painter_;
  Rgb dialog_face_;
};

}  // namespace codexel
