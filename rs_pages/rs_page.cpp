#include "rs_pages/rs_page.h"

#include <QDialog>

#include "rs_engine/rs_wizard_app.h"
#include "symbol/symbol.h"

namespace codexel {

RsPage::RsPage(RsWizardApp& app, const Symbol* symbol, PageTemplate page_template)
    : WizardPage(app, std::move(page_template)), rs_app_(app), symbol_(symbol) {}

void RsPage::SetEnabled(std::initializer_list<QWidget*> controls, bool enabled) {
  for (QWidget* control : controls) control->setEnabled(enabled);
}

RsParameters& RsPage::parameters() const { return rs_app_.parameters(); }

void RsPage::AdjustLayout() {
  const QRect rect = PageRect();
  set_page_width(rect.width());
  const int preview_width = symbol_ ? symbol_->preview_width() : 0;
  const int preview_height = symbol_ ? symbol_->preview_height() : 0;
  int width = rect.width() + preview_width;
  if (width <= kMinimumWidth) width = kMinimumWidth;
  int height = rect.height() + kExtraHeight;
  if (height <= preview_height) height = preview_height;
  SetPageRect(QRect(rect.topLeft(), QSize(width, height)));
  if (!symbol_) return;

  QDialog& page = *dialog();
  for (QWidget* child : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->move(child->x() + preview_width, child->y());
  }
  panel_ = new SymbolPanel(*symbol_, &page);
  panel_->setGeometry(0, 0, preview_width, height);
}

void RsPage::RefreshPreview() {
  if (!panel_) return;
  rs_app_.LayoutSymbol();
  panel_->update();
}

}  // namespace codexel
