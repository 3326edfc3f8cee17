#pragma once
// The RS application: the wizard host specialised for the Reed-Solomon core.

#include "host/wizard_app.h"

namespace codexel {

inline constexpr const char* kRsProgramTitle = "Codexel V1.00";

class RsWizardApp : public WizardApp {
 public:
  RsWizardApp(PlatformServices& services, PageFactory* page_factory,
              const SymbolLinesWriter* symbol = nullptr);

  // Adds the pages (the Summary page last) and runs the host's begin step.
  bool Begin() override;
};

}  // namespace codexel
