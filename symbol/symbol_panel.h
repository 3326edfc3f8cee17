#pragma once
// The preview of the symbol along the left edge of an RS page: a borderless
// child that only paints the shared symbol as the latest layout left it.

#include <QWidget>

class QPainter;

namespace codexel {

class Symbol;

class SymbolPanel : public QWidget {
 public:
  // Object name "symbolPanel", accessible name "Symbol preview".
  SymbolPanel(const Symbol& symbol, QWidget* parent);

  // The green area, the strip in the dialog face colour (the palette's button
  // colour) with its dark gray and cream edge lines, then the symbol.
  void Paint(QPainter& painter) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Symbol& symbol_;
};

}  // namespace codexel
