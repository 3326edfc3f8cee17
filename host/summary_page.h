#pragma once
// The host's last page: lists the files the plug-in manager will create.
//
// Its controls and texts are the form resources/summary_page.ui.
// Object names (accessible names are the visible texts):
//   "finishText", "symbolText", "filesText"  the three texts, top to bottom
//   "fileList"     the list of files (named after the text above it)
//   "summaryPicture"  the tall picture on the left

#include <QPixmap>
#include <QSize>
#include <memory>
#include <string>
#include <vector>

#include "host/summary_files.h"
#include "host/wizard_page.h"

namespace Ui {
class SummaryPage;
}

namespace codexel {

// The program's own picture for the left of the Summary page.
QPixmap SummaryPicture(QSize size);

class SummaryPage : public WizardPage {
 public:
  SummaryPage(WizardApp& app, std::string file_list, std::string directory);
  ~SummaryPage() override;
  std::string HelpSection() const override { return "summary"; }

  // Adds "$" and the name to the file list.
  void AddFile(const std::string& name);
  const std::string& file_list() const { return file_list_; }
  const std::string& directory() const { return directory_; }

 protected:
  void CreateControls(QDialog& page) override;
  void OnPageOpened() override;
  // Enter on the Summary page acts as Next.
  void OnAccept() override;

 private:
  std::string file_list_;
  std::string directory_;
  std::unique_ptr<::Ui::SummaryPage> ui_;  // the controls of the current showing
};

}  // namespace codexel
