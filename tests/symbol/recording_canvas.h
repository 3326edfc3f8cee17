#pragma once
// A canvas that records every call as one line of text.

#include <cstdio>
#include <string>
#include <vector>

#include "symbol/canvas.h"

namespace codexel::testing {

inline std::string ColourText(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
  return text;
}

inline std::string RectText(const Rect& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

inline std::string PointText(Point p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

class RecordingCanvas : public Canvas {
 public:
  void FillRect(const Rect& rect, Rgb colour) override {
    calls.push_back("fill " + RectText(rect) + " " + ColourText(colour));
  }
  void FillCheckerboard(const Rect& rect, Rgb first, Rgb second) override {
    calls.push_back("checker " + RectText(rect) + " " + ColourText(first) + " " +
                    ColourText(second));
  }
  void DrawLine(Point from, Point to, int width, Rgb colour) override {
    calls.push_back("line " + PointText(from) + " " + PointText(to) + " w" + std::to_string(width) +
                    " " + ColourText(colour));
  }
  void DrawEllipse(const Rect& box, int width, Rgb colour) override {
    calls.push_back("ellipse " + RectText(box) + " w" + std::to_string(width) + " " +
                    ColourText(colour));
  }
  void DrawArc(const Rect& box, Point start, Point end, int width, Rgb colour) override {
    calls.push_back("arc " + RectText(box) + " " + PointText(start) + " " + PointText(end) + " w" +
                    std::to_string(width) + " " + ColourText(colour));
  }
  void DrawText(Point top_left, std::string_view text, const FontRequest& font, Rgb colour,
                Rgb background) override {
    calls.push_back("text " + PointText(top_left) + " '" + std::string(text) + "' " + font.face +
                    " " + std::to_string(font.cell_height) + " esc" +
                    std::to_string(font.escapement) + " " + ColourText(colour) + " on " +
                    ColourText(background));
  }
  int VerticalDpi() override { return 96; }
  Rgb DialogFaceColour() override { return kFace; }

  static constexpr Rgb kFace{212, 208, 200};
  std::vector<std::string> calls;
};

}  // namespace codexel::testing
