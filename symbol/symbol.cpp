#include "symbol/symbol.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ostream>

#include "host/number_text.h"

namespace codexel {
namespace {

// printf-style formatting of one symbol line.
__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

const char* ThicknessWord(int thick) { return thick != 0 ? "THICK" : "THIN"; }
const char* OrientationWord(int orientation) {
  return orientation != kHorizontal ? "VERT" : "HORIZ";
}
const char* DirectionWord(int direction) {
  if (direction == kPinInput) return "IN";
  if (direction == kPinOutput) return "OUT";
  return "BIDIR";
}

void WriteLineLine(std::ostream& out, int x1, int y1, int x2, int y2, int thick) {
  out << Format("SYMBOL: LINE %d %d %d %d %s %s\n", x1, y1, x2, y2, "SOLID", ThicknessWord(thick));
}

// Offset of the anchor from the text's left (or top) edge along one axis,
// for the column (or row) `place` of the anchor code.
int AnchorOffset(int place, int margin, int extent) {
  switch (place) {
    case 0:
      return -margin;
    case 1:
      return extent / 2;
    default:
      return margin + extent - 1;
  }
}

template <typename T>
bool Append(std::vector<T>& list, T item, std::size_t capacity, int origin_x, int origin_y) {
  if (list.size() >= capacity) return false;
  item.SetOrigin(origin_x, origin_y);
  list.push_back(std::move(item));
  return true;
}

}  // namespace

// ---- Lines, circles, arcs ----

void SymbolLine::Write(std::ostream& out, int box_height) const {
  WriteLineLine(out, x, box_height - y, x + dx, box_height - y - dy, thick);
}

void SymbolLine::Draw(Canvas& canvas) const {
  const int width = thick == 1 ? 2 : 1;
  const Point start{origin_x + x, origin_y + y};
  canvas.DrawLine(start, {start.x + dx, start.y + dy}, width, colour);
  if (dot) canvas.DrawEllipse({start.x - 1, start.y - 1, start.x + 1, start.y + 1}, width, colour);
}

void SymbolCircle::Write(std::ostream& out, int box_height) const {
  out << Format("SYMBOL: CIRCLE %d %d %d %s\n", x, box_height - y, radius, "FALSE");
}

void SymbolCircle::Draw(Canvas& canvas) const {
  const Point centre{origin_x + x, origin_y + y};
  canvas.DrawEllipse({centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius},
                     1, colour);
}

void SymbolArc::Write(std::ostream& out, int box_height) const {
  out << Format("SYMBOL: ARC %d %d %d %d %d %d %d\n", x, box_height - y, second.x,
                box_height - second.y, third.x, box_height - third.y, radius);
}

void SymbolArc::Draw(Canvas& canvas) const {
  const Point centre{origin_x + x, origin_y + y};
  canvas.DrawArc({centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius},
                 {origin_x + second.x, origin_y + second.y},
                 {origin_x + third.x, origin_y + third.y}, 1, colour);
}

// ---- Texts ----

SymbolText::SymbolText(TextMetrics& metrics, const TextDesc& desc)
    : SymbolShape(desc.x, desc.y, desc.colour),
      size_(desc.size),
      text_(desc.text),
      face_(desc.face),
      anchor_(std::clamp(desc.anchor, 0, 8)),
      orientation_(desc.orientation) {
  // Always measured as horizontal text.
  const TextMeasurer measurer(metrics, face_, size_);
  width_ = measurer.Width(text_);
  height_ = measurer.Height(text_);
  const int l = AnchorOffset(anchor_ % 3, desc.h_margin, width_);
  const int u = AnchorOffset(anchor_ / 3, desc.v_margin, height_);
  if (orientation_ == kHorizontal) {
    left_ = x - l;
    top_ = y - u;
  } else {
    left_ = x - u;
    top_ = y + l;
  }
}

int SymbolText::FileY(int box_height) const {
  return orientation_ == kHorizontal ? box_height - top_ - height_ : box_height - top_;
}

void SymbolText::Write(std::ostream& out, int box_height) const {
  out << Format("SYMBOL: TEXT \"%s\" %d %d %s %s,%d\n", text_.c_str(), left_, FileY(box_height),
                OrientationWord(orientation_), face_.c_str(), size_);
}

void SymbolText::Draw(Canvas& canvas) const {
  const FontRequest font =
      MakeFontRequest(face_, size_, orientation_ != kHorizontal, canvas.VerticalDpi());
  canvas.DrawText({origin_x + left_, origin_y + top_}, text_, font, colour,
                  canvas.background_colour());
}

// ---- Pins ----

namespace {

SymbolText MakePinName(TextMetrics& metrics, const PinDesc& desc) {
  TextDesc text{.x = desc.x,
                .y = desc.y,
                .text = desc.name,
                .colour = kBlack,
                .size = 8,
                .anchor = desc.anchor,
                .orientation = desc.orientation,
                .face = "Arial",
                .h_margin = 4,
                .v_margin = 1};
  if (desc.inner == 1) {
    text.x += desc.dx + (desc.clock ? 6 : 0);
    text.y += desc.dy;
  }
  return SymbolText(metrics, text);
}

int SlashCentre(const PinDesc& desc) {
  if (desc.slash_x != 0) return desc.slash_x;
  return desc.x + desc.dx / 2 - (desc.bus_width < 10 ? 2 : 4);
}

}  // namespace

SymbolPin::SymbolPin(TextMetrics& metrics, const PinDesc& desc)
    : stub_(desc.x, desc.y, kBlack, desc.dx, desc.dy, desc.bus),
      name_text_(MakePinName(metrics, desc)),
      port_name_(desc.port_name.empty() ? desc.name : desc.port_name),
      direction_(desc.direction),
      clock_(desc.clock) {
  if (desc.bus_width == 0) return;
  const int centre = SlashCentre(desc);
  slash_.emplace(centre - 4, desc.y + 4, kTeal, 8, -8);
  if (desc.bus_width > 0) {
    bus_width_text_.emplace(metrics, TextDesc{.x = centre,
                                              .y = desc.y,
                                              .text = FormatInt(desc.bus_width),
                                              .colour = kTeal,
                                              .size = 7,
                                              .anchor = 0,
                                              .orientation = kHorizontal,
                                              .face = "Arial",
                                              .h_margin = 1,
                                              .v_margin = 1});
  }
}

void SymbolPin::SetOrigin(int x_offset, int y_offset) {
  stub_.SetOrigin(x_offset, y_offset);
  name_text_.SetOrigin(x_offset, y_offset);
  if (slash_) slash_->SetOrigin(x_offset, y_offset);
  if (bus_width_text_) bus_width_text_->SetOrigin(x_offset, y_offset);
}

void SymbolPin::Write(std::ostream& out, int box_height) const {
  if (slash_) slash_->Write(out, box_height);
  if (bus_width_text_) bus_width_text_->Write(out, box_height);
  out << Format("SYMBOL: PINSTUB %d %d %s %s ", stub_.x, box_height - stub_.y,
                DirectionWord(direction_), port_name_.c_str());
  // The manager expects the pin-name font as Arial 8 whatever the name uses.
  out << Format("%d %d \"%s\" %s %s,%d\n", name_text_.left(), name_text_.FileY(box_height),
                name_text_.text().c_str(), OrientationWord(name_text_.orientation()), "Arial", 8);
  stub_.Write(out, box_height);
  if (clock_) {
    const int x = stub_.x + stub_.dx;
    const int y = box_height - stub_.y - stub_.dy;
    WriteLineLine(out, x, y + 6, x + 6, y, 0);
    WriteLineLine(out, x + 6, y, x, y - 6, 0);
  }
}

void SymbolPin::Draw(Canvas& canvas) const {
  name_text_.Draw(canvas);
  stub_.Draw(canvas);
  if (slash_) slash_->Draw(canvas);
  if (bus_width_text_) bus_width_text_->Draw(canvas);
  const Point outer{stub_.origin_x + stub_.x, stub_.origin_y + stub_.y};
  if (clock_) {
    const Point inner{outer.x + stub_.dx, outer.y + stub_.dy};
    canvas.DrawLine({inner.x, inner.y - 6}, {inner.x + 6, inner.y}, 1, kBlack);
    canvas.DrawLine({inner.x + 6, inner.y}, {inner.x, inner.y + 6}, 1, kBlack);
  }
  const std::string& name = name_text_.text();
  if (name.empty() || name == "-") return;
  canvas.DrawLine({outer.x - 4, outer.y - 4}, {outer.x + 4, outer.y + 4}, 1, kBlue);
  canvas.DrawLine({outer.x - 4, outer.y + 4}, {outer.x + 4, outer.y - 4}, 1, kBlue);
}

// ---- The symbol ----

void Symbol::Reset(int width, int height) {
  width_ = width;
  height_ = height;
  origin_x_ = preview_width_ - width - 8;
  origin_y_ = (preview_height_ - height) / 2;
  lines_.clear();
  circles_.clear();
  arcs_.clear();
  texts_.clear();
  pins_.clear();
}

bool Symbol::AddLine(SymbolLine line) {
  return Append(lines_, std::move(line), kMaxLines, origin_x_, origin_y_);
}

bool Symbol::AddText(SymbolText text) {
  return Append(texts_, std::move(text), kMaxTexts, origin_x_, origin_y_);
}

bool Symbol::AddPin(SymbolPin pin) {
  return Append(pins_, std::move(pin), kMaxPins, origin_x_, origin_y_);
}

bool Symbol::AddCircle(SymbolCircle circle) {
  return Append(circles_, std::move(circle), kMaxCircles, origin_x_, origin_y_);
}

bool Symbol::AddArc(SymbolArc arc) {
  return Append(arcs_, std::move(arc), kMaxArcs, origin_x_, origin_y_);
}

bool Symbol::WriteSymbol(std::ostream& out) const {
  const int h = height_;
  if (!texts_.empty()) {
    const SymbolText& title = texts_.front();
    const int title_height =
        TextMeasurer(metrics_, title.face(), title.size()).Height(title.text());
    out << Format("SYMBOL: BOX %d %d %d %d %s,%d\n", width_, h, title.left(),
                  h - title.top() - title_height, title.face().c_str(), title.size());
  }
  for (const SymbolLine& line : lines_) line.Write(out, h);
  for (const SymbolCircle& circle : circles_) circle.Write(out, h);
  for (const SymbolArc& arc : arcs_) arc.Write(out, h);
  for (std::size_t i = 1; i < texts_.size(); ++i) texts_[i].Write(out, h);
  for (const SymbolPin& pin : pins_) pin.Write(out, h);
  return true;
}

void Symbol::DrawShadow(Canvas& canvas, const Rect& area) const {
  const Rect shadow{origin_x_ + 8, origin_y_ + 8, origin_x_ + width_ + 8, origin_y_ + height_ + 8};
  const Rect left_part{shadow.left, shadow.top, std::min(shadow.right, area.right), shadow.bottom};
  const Rect right_part{std::max(shadow.left, area.right), shadow.top, shadow.right, shadow.bottom};
  if (!left_part.IsEmpty()) canvas.FillCheckerboard(left_part, kGray, kGreen);
  if (!right_part.IsEmpty()) canvas.FillCheckerboard(right_part, kGray, canvas.DialogFaceColour());
  canvas.DrawLine({area.right, 0}, {area.right, area.bottom}, 1, kDarkGray);
}

void Symbol::DrawSymbol(Canvas& canvas, const Rect& area) const {
  DrawShadow(canvas, area);
  const int left = origin_x_;
  const int top = origin_y_;
  const int right = origin_x_ + width_;
  const int bottom = origin_y_ + height_;
  canvas.FillRect({left, top, right, bottom}, kWhite);
  for (const SymbolText& text : texts_) text.Draw(canvas);
  canvas.DrawLine({left, top}, {right, top}, 1, kTeal);
  canvas.DrawLine({right, top}, {right, bottom}, 1, kTeal);
  canvas.DrawLine({right, bottom}, {left, bottom}, 1, kTeal);
  canvas.DrawLine({left, bottom}, {left, top}, 1, kTeal);
  for (const SymbolCircle& circle : circles_) circle.Draw(canvas);
  for (const SymbolArc& arc : arcs_) arc.Draw(canvas);
  for (const SymbolLine& line : lines_) line.Draw(canvas);
  for (const SymbolPin& pin : pins_) pin.Draw(canvas);
}

void PaintPreviewPanel(Canvas& canvas, const Symbol& symbol, const Rect& client) {
  const Rect area{client.left, client.top, client.right - kPreviewStripWidth, client.bottom};
  canvas.FillRect(area, kGreen);
  canvas.FillRect({area.right, client.top, area.right + kPreviewStripWidth, client.bottom},
                  canvas.DialogFaceColour());
  canvas.DrawLine({area.right, client.top}, {area.right, client.bottom}, 1, kDarkGray);
  canvas.DrawLine({area.right + 1, client.top}, {area.right + 1, client.bottom}, 1, kCream);
  symbol.DrawSymbol(canvas, area);
}

}  // namespace codexel
