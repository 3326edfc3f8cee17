#pragma once
// Qt fonts made from the symbol's font requests.

#include <QFont>

#include "platform/font_request.h"

namespace codexel {

// The QFont that answers a request: the face asked for by name (fontconfig
// supplies a metric-compatible face where it is not installed), the character
// height as pixel size, full hinting and no kerning so that widths are plain
// sums of whole-pixel advances.
QFont MakeQFont(const FontRequest& request);

}  // namespace codexel
