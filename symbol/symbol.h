#pragma once
// The schematic symbol of the core: a box with pin stubs, pin names and
// descriptive texts. Every primitive keeps local coordinates (origin at the
// box's top-left corner, y downwards); it writes itself as symbol lines with
// y upwards from the box's bottom-left corner, and paints itself on a canvas
// at the symbol's origin.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/wizard_info.h"
#include "platform/text_metrics.h"
#include "symbol/canvas.h"

namespace codexel {

class SymbolPrimitive {
 public:
  virtual ~SymbolPrimitive() = default;
  virtual void Draw(Canvas& canvas) const = 0;
};

// Reference point, colour and the origin offsets every primitive but the pin
// has; the offsets are a copy of the symbol's origin taken when it was added.
class SymbolShape : public SymbolPrimitive {
 public:
  SymbolShape(int x, int y, Rgb colour) : x(x), y(y), colour(colour) {}
  void SetOrigin(int x_offset, int y_offset) {
    origin_x = x_offset;
    origin_y = y_offset;
  }

  int x;
  int y;
  Rgb colour;
  int origin_x = 0;
  int origin_y = 0;
};

// From (x, y) to (x + dx, y + dy).
class SymbolLine : public SymbolShape {
 public:
  SymbolLine(int x, int y, Rgb colour, int dx, int dy, int thick = 0, bool dot = false,
             int pen_style = 0)
      : SymbolShape(x, y, colour), dx(dx), dy(dy), thick(thick), dot(dot), pen_style(pen_style) {}
  void Write(std::ostream& out, int box_height) const;
  void Draw(Canvas& canvas) const override;

  int dx;
  int dy;
  int thick;      // painted 2 pixels wide when 1; written THICK when non-zero
  bool dot;       // a small dot at the start point
  int pen_style;  // 0 solid, the only style used
};

class SymbolCircle : public SymbolShape {
 public:
  SymbolCircle(int x, int y, Rgb colour, int radius) : SymbolShape(x, y, colour), radius(radius) {}
  void Write(std::ostream& out, int box_height) const;
  // The circle around (x, y).
  void Draw(Canvas& canvas) const override;

  int radius;
};

class SymbolArc : public SymbolShape {
 public:
  SymbolArc(int x, int y, Rgb colour, int radius, Point second, Point third)
      : SymbolShape(x, y, colour), radius(radius), second(second), third(third) {}
  void Write(std::ostream& out, int box_height) const;
  // The arc of the circle around (x, y), counter-clockwise from the direction
  // of the second point to that of the third.
  void Draw(Canvas& canvas) const override;

  int radius;
  Point second;
  Point third;
};

inline constexpr int kHorizontal = 0;
inline constexpr int kVertical = 1;

// How a text is built. The anchor code is column + 3 * row: column 0 starts
// the text h_margin right of (x, y), 1 centres it, 2 ends it h_margin left of
// it; row 0 puts its top v_margin below, 1 centres it, 2 puts its bottom
// v_margin above. Vertical text exchanges the roles of the axes.
struct TextDesc {
  int x = 0;
  int y = 0;
  std::string text{};
  Rgb colour = kBlack;
  int size = 8;  // points
  int anchor = 0;
  int orientation = kHorizontal;
  std::string face = "Arial";
  int h_margin = 0;
  int v_margin = 0;
};

// A text measured once, when it is built, and placed by its anchor.
class SymbolText : public SymbolShape {
 public:
  SymbolText(TextMetrics& metrics, const TextDesc& desc);
  void Write(std::ostream& out, int box_height) const;
  void Draw(Canvas& canvas) const override;

  // y of the text on a symbol line: its bottom when horizontal, its
  // (unrotated) top when vertical.
  int FileY(int box_height) const;

  int size() const { return size_; }
  const std::string& text() const { return text_; }
  const std::string& face() const { return face_; }
  int anchor() const { return anchor_; }
  int orientation() const { return orientation_; }
  int left() const { return left_; }
  int top() const { return top_; }
  int height() const { return height_; }
  int width() const { return width_; }

 private:
  int size_;
  std::string text_;
  std::string face_;
  int anchor_;
  int orientation_;
  int left_ = 0;
  int top_ = 0;
  int height_ = 0;
  int width_ = 0;
};

inline constexpr int kPinInput = 0;
inline constexpr int kPinOutput = 1;
inline constexpr int kPinBidirectional = 2;

// How a pin is built: a stub from the outer end (x, y) to the body at
// (x + dx, y + dy), its name beside the inner end (inner = 1) or the outer
// one, and for a bus (bus_width != 0) a slash across the stub centred at
// slash_x (0: near the stub's middle) with the width beside it (bus_width > 0).
struct PinDesc {
  int x = 0;
  int y = 0;
  int dx = 0;
  int dy = 0;
  std::string name{};
  std::string port_name{};  // empty: the name
  int bus = 0;              // thick stub
  int direction = kPinInput;
  int anchor = 0;
  int inner = 1;
  int orientation = kHorizontal;
  bool clock = false;
  int bus_width = 0;
  int slash_x = 0;
};

class SymbolPin : public SymbolPrimitive {
 public:
  SymbolPin(TextMetrics& metrics, const PinDesc& desc);
  void SetOrigin(int x_offset, int y_offset);
  void Write(std::ostream& out, int box_height) const;
  void Draw(Canvas& canvas) const override;

  const SymbolLine& stub() const { return stub_; }
  const SymbolText& name_text() const { return name_text_; }
  const std::optional<SymbolLine>& slash() const { return slash_; }
  const std::optional<SymbolText>& bus_width_text() const { return bus_width_text_; }
  const std::string& port_name() const { return port_name_; }
  int direction() const { return direction_; }
  bool clock() const { return clock_; }

 private:
  SymbolLine stub_;
  SymbolText name_text_;
  std::optional<SymbolLine> slash_;
  std::optional<SymbolText> bus_width_text_;
  std::string port_name_;
  int direction_;
  bool clock_;
};

class Symbol : public SymbolLinesWriter {
 public:
  static constexpr int kMaxLines = 100;
  static constexpr int kMaxCircles = 20;
  static constexpr int kMaxArcs = 20;
  static constexpr int kMaxTexts = 300;
  static constexpr int kMaxPins = 300;
  static constexpr int kDefaultPreviewHeight = 288;

  explicit Symbol(TextMetrics& metrics) : metrics_(metrics) {}

  // Sizes the box, places it against the preview's right edge, centred
  // vertically, and discards every primitive.
  void Reset(int width, int height);
  // Each takes the symbol's current origin into the primitive and appends it;
  // false (and nothing added) when its list is full.
  bool AddLine(SymbolLine line);
  bool AddText(SymbolText text);
  bool AddPin(SymbolPin pin);
  bool AddCircle(SymbolCircle circle);
  bool AddArc(SymbolArc arc);

  // The symbol lines: the BOX line with the title (the first text), then the
  // lines, circles, arcs, the other texts and the pins. Always true.
  bool WriteSymbol(std::ostream& out) const override;
  // Paints the shadow, the box, the texts, the outline and the primitives.
  // `area` is the preview's background; its right edge is the separator.
  void DrawSymbol(Canvas& canvas, const Rect& area) const;

  int origin_x() const { return origin_x_; }
  int origin_y() const { return origin_y_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The preview panel the box is placed in; the program sets the width once
  // at start (the RS layout's preview base width + 16).
  int preview_width() const { return preview_width_; }
  int preview_height() const { return preview_height_; }
  void set_preview_width(int width) { preview_width_ = width; }
  void set_preview_height(int height) { preview_height_ = height; }

  const std::vector<SymbolLine>& lines() const { return lines_; }
  const std::vector<SymbolCircle>& circles() const { return circles_; }
  const std::vector<SymbolArc>& arcs() const { return arcs_; }
  const std::vector<SymbolText>& texts() const { return texts_; }
  const std::vector<SymbolPin>& pins() const { return pins_; }
  TextMetrics& metrics() const { return metrics_; }

 private:
  void DrawShadow(Canvas& canvas, const Rect& area) const;

  TextMetrics& metrics_;
  int origin_x_ = 8;
  int origin_y_ = 8;
  int width_ = 0;
  int height_ = 0;
  int preview_width_ = 0;
  int preview_height_ = kDefaultPreviewHeight;
  std::vector<SymbolLine> lines_;
  std::vector<SymbolCircle> circles_;
  std::vector<SymbolArc> arcs_;
  std::vector<SymbolText> texts_;
  std::vector<SymbolPin> pins_;
};

// Width of the separator strip at the preview panel's right edge.
inline constexpr int kPreviewStripWidth = 25;

// Paints a preview panel whose client rectangle is `client`: the green area,
// the strip in the dialog face colour with its dark gray and cream edge
// lines, then the symbol.
void PaintPreviewPanel(Canvas& canvas, const Symbol& symbol, const Rect& client);

}  // namespace codexel
