#pragma once
// The wizard's pages on Qt widgets: the four RS pages and the host's
// Summary page.

#include "host/qt_page_factory.h"
#include "rs_engine/rs_wizard_app.h"

namespace codexel {

class QtRsPageFactory : public RsPageFactory {
 public:
  std::unique_ptr<PageInterface> CreateRsPage(RsWizardApp& app, RsPageKind kind) override;
  std::unique_ptr<PageInterface> CreateSummaryPage(WizardApp& app, const std::string& file_list,
                                                   const std::string& directory) override;

 private:
  QtPageFactory host_pages_;
};

}  // namespace codexel
