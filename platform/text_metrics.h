#pragma once
// Text measuring on the screen device, for the symbol and the design title.

#include <string>
#include <string_view>

namespace codexel {

// A font as the symbol asks for it: a face name and a size in points.
struct FontFace {
  std::string face;
  int points = 0;
  bool operator==(const FontFace&) const = default;
};

// Extents of texts as the screen's font engine reports them. The font is the
// one `MakeFontRequest` describes for the face, the size and the screen's
// vertical resolution.
class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  // Advance width of the whole text in pixels.
  virtual int Width(const FontFace& font, std::string_view text) = 0;
  // Cell height of the font in pixels (ascent plus descent).
  virtual int Height(const FontFace& font, std::string_view text) = 0;
  // Vertical dots per inch of the screen device.
  virtual int VerticalDpi() = 0;
};

// A measuring context with one font selected.
class TextMeasurer {
 public:
  TextMeasurer(TextMetrics& metrics, std::string face, int points)
      : metrics_(metrics), font_{std::move(face), points} {}
  int Width(std::string_view text) const { return metrics_.Width(font_, text); }
  int Height(std::string_view text) const { return metrics_.Height(font_, text); }
  const FontFace& font() const { return font_; }

 private:
  TextMetrics& metrics_;
  FontFace font_;
};

}  // namespace codexel
