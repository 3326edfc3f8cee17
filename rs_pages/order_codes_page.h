#pragma once
// The last RS page: the product order codes that cover the configured
// function. It only reads the parameter set.
//
// Controls (resources/order_codes_page.ui): the group "orderCodesGroup"
// ("Product Order Codes") with the text "orderCodesText", and the read-only
// fields "primaryField" and "erasuresField", each named after its label
// ("primaryLabel", "erasuresLabel").

#include <memory>

#include "rs_pages/rs_page.h"

namespace Ui {
class OrderCodesPage;
}

namespace codexel {

class OrderCodesPage : public RsPage {
 public:
  OrderCodesPage(RsWizardApp& app, const Symbol* symbol);
  ~OrderCodesPage() override;
  std::string HelpSection() const override { return "order-codes"; }

 protected:
  void CreateControls(QDialog& page) override;
  void OnPageOpened() override;

 private:
  std::unique_ptr<::Ui::OrderCodesPage> ui_;
};

}  // namespace codexel
