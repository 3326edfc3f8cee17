#pragma once
// The base of the four RS pages. Each widens itself for the symbol preview,
// moves its own controls to the right of it, and repaints the preview when a
// choice changes the symbol. The pages hold no state: they read the
// application's parameter set when shown and write each change into it at once.

#include <QPointer>
#include <initializer_list>

#include "host/wizard_page.h"
#include "rs_pages/rs_parameters.h"
#include "symbol/symbol_panel.h"

namespace codexel {

class RsWizardApp;
class Symbol;

class RsPage : public WizardPage {
 public:
  // `symbol` is what the preview shows; a page without one gets no panel.
  // Pages built from a Designer form keep the empty template.
  RsPage(RsWizardApp& app, const Symbol* symbol, PageTemplate page_template = {});

  // Records the page width, widens the page by the preview width (at least
  // to 253) and makes it 40 taller (at least the preview's 288), moves every
  // control right by the preview width and puts the panel on the left.
  void AdjustLayout() override;
  // Lays the symbol out again from the parameter set and repaints the panel;
  // nothing when the page has no panel.
  void RefreshPreview();

  // The panel of the current showing; null between showings and on a page
  // without a symbol.
  SymbolPanel* panel() const { return panel_; }

 protected:
  // Enables or disables the controls together.
  static void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled);
  RsWizardApp& rs_app() const { return rs_app_; }
  RsParameters& parameters() const;

 private:
  RsWizardApp& rs_app_;
  const Symbol* symbol_;
  QPointer<SymbolPanel> panel_;
};

}  // namespace codexel
