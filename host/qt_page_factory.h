#pragma once
// Creates the host's own pages as Qt widget pages.

#include "host/wizard_app.h"

namespace codexel {

class QtPageFactory : public PageFactory {
 public:
  std::unique_ptr<PageInterface> CreateSummaryPage(WizardApp& app, const std::string& file_list,
                                                   const std::string& directory) override;
};

}  // namespace codexel
