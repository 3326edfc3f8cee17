#include "rs_pages/rs_page_factory.h"

#include "rs_pages/device_type_page.h"
#include "rs_pages/extra_files_page.h"
#include "rs_pages/order_codes_page.h"
#include "rs_pages/rs_parameters_page.h"

namespace codexel {

std::unique_ptr<PageInterface> QtRsPageFactory::CreateRsPage(RsWizardApp& app, RsPageKind kind) {
  const Symbol* symbol = &app.rs_symbol();
  switch (kind) {
    case RsPageKind::kDeviceType:
      return std::make_unique<DeviceTypePage>(app, symbol);
    case RsPageKind::kRsParameters:
      return std::make_unique<RsParametersPage>(app, symbol);
    case RsPageKind::kExtraFiles:
      return std::make_unique<ExtraFilesPage>(app, symbol);
    case RsPageKind::kOrderCodes:
      return std::make_unique<OrderCodesPage>(app, symbol);
  }
  return nullptr;
}

std::unique_ptr<PageInterface> QtRsPageFactory::CreateSummaryPage(WizardApp& app,
                                                                  const std::string& file_list,
                                                                  const std::string& directory) {
  return host_pages_.CreateSummaryPage(app, file_list, directory);
}

}  // namespace codexel
