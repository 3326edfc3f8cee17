#include "symbol/symbol_panel.h"

#include <QPainter>
#include <QPalette>

#include "platform/qt_canvas.h"
#include "symbol/symbol.h"

namespace codexel {

SymbolPanel::SymbolPanel(const Symbol& symbol, QWidget* parent)
    : QWidget(parent), symbol_(symbol) {
  setObjectName(QStringLiteral("symbolPanel"));
  setAccessibleName(QStringLiteral("Symbol preview"));
  setFocusPolicy(Qt::NoFocus);
  // Every pixel is painted each time.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SymbolPanel::Paint(QPainter& painter) const {
  QtCanvas canvas(painter, FromQColor(palette().color(QPalette::Button)));
  PaintPreviewPanel(canvas, symbol_, {0, 0, width(), height()});
}

void SymbolPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Paint(painter);
}

}  // namespace codexel
