#include "platform/font_request.h"

namespace codexel {

FontRequest MakeFontRequest(const std::string& face, int points, bool vertical, int dpi) {
  FontRequest request;
  // C division truncates toward zero, so the rounding follows the sign.
  request.cell_height = -((points * dpi + 36) / 72);
  request.escapement = vertical ? 900 : 0;
  request.orientation = vertical ? 900 : 0;
  request.face = face.substr(0, 31);
  return request;
}

}  // namespace codexel
