#pragma once
// The logical font the symbol asks the platform for.

#include <string>

namespace codexel {

struct FontRequest {
  int cell_height = 0;  // negative: a character height of that many pixels
  int width = 0;
  int escapement = 0;   // tenths of a degree
  int orientation = 0;  // tenths of a degree
  int weight = 0;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  int char_set = 0;
  int out_precision = 2;
  int clip_precision = 1;
  int quality = 2;
  int pitch_and_family = 48;
  std::string face;  // at most 31 characters

  // Character height in pixels, the em size a font engine is asked for.
  int PixelSize() const { return cell_height < 0 ? -cell_height : cell_height; }
};

// face F at size S points, vertical or not, on a device with `dpi` vertical
// dots per inch.
FontRequest MakeFontRequest(const std::string& face, int points, bool vertical, int dpi);

}  // namespace codexel
