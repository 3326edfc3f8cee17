#pragma once
// The host's last page: lists the files the plug-in manager will create.
//
// Object names (accessible names are the visible texts):
//   "finishText", "symbolText", "filesText"  the three texts, top to bottom
//   "fileList"     the list of files (named after the text above it)
//   "summaryPicture"  the tall picture on the left

#include <QPixmap>
#include <QSize>
#include <string>
#include <vector>

#include "host/summary_files.h"
#include "host/wizard_page.h"

namespace codexel {

inline constexpr const char* kSummaryFinishText =
    "Click Finish to create the custom corelet variation, an ZHDL Function prototype in an "
    "Include File (.inc), and a VHDL Component Declaration file (.cmp).";
inline constexpr const char* kSummarySymbolText =
    "When you run this wizard from within the Vortalis software, it also creates a Symbol File "
    "(.sym).";
inline constexpr const char* kSummaryFilesText =
    "The Quillwork Plug-In Manager will create the following files:";

// The program's own picture for the left of the Summary page.
QPixmap SummaryPicture(QSize size);

class SummaryPage : public WizardPage {
 public:
  static constexpr QSize kTemplateSize{460, 280};

  SummaryPage(WizardApp& app, std::string file_list, std::string directory);

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
};

}  // namespace codexel
