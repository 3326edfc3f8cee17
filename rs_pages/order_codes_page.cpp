#include "rs_pages/order_codes_page.h"

#include "rs_pages/order_codes.h"
#include "ui_order_codes_page.h"

namespace codexel {

OrderCodesPage::OrderCodesPage(RsWizardApp& app, const Symbol* symbol) : RsPage(app, symbol) {}

OrderCodesPage::~OrderCodesPage() = default;

void OrderCodesPage::CreateControls(QDialog& page) {
  ui_ = std::make_unique<::Ui::OrderCodesPage>();
  ui_->setupUi(&page);
}

void OrderCodesPage::OnPageOpened() {
  ::Ui::OrderCodesPage& ui = *ui_;
  const OrderCodes codes = OrderCodesFor(parameters());
  ui.orderCodesText->setEnabled(true);
  ui.primaryLabel->setEnabled(true);
  ui.primaryField->setReadOnly(true);
  ui.primaryField->setText(QString::fromStdString(codes.primary));
  ui.primaryField->setEnabled(true);
  ui.erasuresLabel->setEnabled(codes.erasures_shown);
  ui.erasuresField->setReadOnly(true);
  ui.erasuresField->setText(QString::fromStdString(codes.erasures));
  ui.erasuresField->setEnabled(codes.erasures_shown);
}

}  // namespace codexel
