#include "rs_engine/rs_wizard_app.h"

namespace codexel {

RsWizardApp::RsWizardApp(PlatformServices& services, PageFactory* page_factory,
                         const SymbolLinesWriter* symbol)
    : WizardApp(kRsProgramTitle, symbol, services, page_factory) {}

bool RsWizardApp::Begin() {
  AddSummaryPage();
  return WizardApp::Begin();
}

}  // namespace codexel
