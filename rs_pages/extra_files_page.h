#pragma once
// The third RS page: the test-vector file on or off, the names of the extra
// files Finish writes, and the decoder's throughput for a typed clock
// frequency. Nothing here changes the symbol, so the preview is never
// refreshed from this page.
//
// Controls (resources/extra_files_page.ui), accessible names = the texts of
// the controls or of the labels beside them:
//   "extraFilesGroup" "Extra files generated": the check box
//     "generateVectorFileBox", the read-only fields "vectorFileField" and
//     "memoryFileField" with their labels "vectorFileLabel", "memoryFileLabel",
//     the check box "writeCoreBox" (Finish writes the core as the design
//     file; its tool tip and accessible description say why it is offered
//     or not), under it "writeAxisBox" (the core's AXI4-Stream wrapper
//     beside it; enabled only while the core box is on) and the label
//     "coreFiguresLabel" (the written core's figures, its accessible name
//     its text)
//   "throughputGroup" "Throughput calculation for decoder": "unitLabel", the
//     radio buttons "megasymbolsButton" and "megabitsButton", "frequencyLabel"
//     with the digits-only "frequencyField", "calculateButton" and the
//     read-only "resultField" ("Throughput")

#include <memory>

#include "rs_pages/extra_files.h"
#include "rs_pages/rs_page.h"

namespace Ui {
class ExtraFilesPage;
}

namespace codexel {

class ExtraFilesPage : public RsPage {
 public:
  ExtraFilesPage(RsWizardApp& app, const Symbol* symbol);
  ~ExtraFilesPage() override;
  std::string HelpSection() const override { return "extra-files"; }

 protected:
  void CreateControls(QDialog& page) override;
  void OnPageOpened() override;

 private:
  ExtraFilesView View() const;
  // The check box, the vector file's enabling and the unit buttons.
  void Refresh();
  // The result field from the frequency field's text in the current unit.
  void Calculate();
  // The written core's latency, interval and rate at the typed frequency
  // under the core box; empty while the core is not written.
  void ShowCoreFigures();
  // A unit button: Msym_Mbit takes `megasymbols`, the result follows.
  void ChooseUnit(int megasymbols);

  std::unique_ptr<::Ui::ExtraFilesPage> ui_;
  bool refreshing_ = false;  // Refresh marks the controls: no handler runs
};

}  // namespace codexel
