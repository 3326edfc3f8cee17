#pragma once
// What the symbol needs from a surface to paint on. Coordinates are device
// pixels; rectangles exclude their right and bottom edges.

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/font_request.h"

namespace codexel {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

// The colours of the symbol and of the preview area around it.
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kTeal{0, 128, 128};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kGray{128, 128, 128};
inline constexpr Rgb kDarkGray{128, 128, 128};
inline constexpr Rgb kGreen{192, 220, 192};
inline constexpr Rgb kCream{255, 251, 240};

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Rect&) const = default;
  bool IsEmpty() const { return right <= left || bottom <= top; }
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void FillRect(const Rect& rect, Rgb colour) = 0;
  // One-pixel checkerboard: `first` where x + y is even, `second` elsewhere,
  // in device coordinates so that adjoining fills line up.
  virtual void FillCheckerboard(const Rect& rect, Rgb first, Rgb second) = 0;
  // A solid line `width` pixels wide; like the platform's line primitive it
  // leaves out the end pixel.
  virtual void DrawLine(Point from, Point to, int width, Rgb colour) = 0;
  // Outline of the ellipse inscribed in `box`.
  virtual void DrawEllipse(const Rect& box, int width, Rgb colour) = 0;
  // Counter-clockwise arc of the ellipse inscribed in `box`, from the ray
  // towards `start` to the ray towards `end`.
  virtual void DrawArc(const Rect& box, Point start, Point end, int width, Rgb colour) = 0;
  // The text with the top-left corner of its unrotated cell at `top_left`
  // (rotated 90 degrees counter-clockwise about that corner when the request
  // is vertical), over an opaque cell in `background`.
  virtual void DrawText(Point top_left, std::string_view text, const FontRequest& font, Rgb colour,
                        Rgb background) = 0;
  virtual int VerticalDpi() = 0;
  // The platform's colour for the faces of dialogs and buttons.
  virtual Rgb DialogFaceColour() = 0;

  // Background behind opaque text; white until changed.
  Rgb background_colour() const { return background_colour_; }
  void set_background_colour(Rgb colour) { background_colour_ = colour; }

 private:
  Rgb background_colour_ = kWhite;
};

// The pixels of a 1-pixel line from `from` towards `to`, end pixel left out
// (Bresenham, stepping along the major axis). A line of length 0 has none.
void TraceLine(Point from, Point to, const std::function<void(Point)>& plot);

// The pixels a line of `width` covers: each traced pixel widened across the
// major axis to `width` pixels, the extra ones going up or left first.
void TraceWideLine(Point from, Point to, int width, const std::function<void(Point)>& plot);

}  // namespace codexel
