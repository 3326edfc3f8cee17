#pragma once
// The program's own help window: the help file's HTML in a text browser,
// opened at a page's section. It is no dialog: it stays beside the pages,
// and can be read and scrolled while a modal page is open, as it belongs to
// whichever page is shown.
//
// Object names (accessible names are the visible labels):
//   "helpWindow"   the window, titled with the help's title, " -- " and the
//                  heading of the section it was opened at
//   "helpText"     the help (arrow keys and Page Up/Down read it, Tab moves
//                  between its links, Enter follows one); named after the
//                  help's title
//   "closeButton"  "Close"
// Escape, "Close" and the title bar's close button hide the window; F1 in it
// goes back to the section it was opened at.

#include <memory>
#include <string>

#include "platform/services.h"

class QWidget;

namespace codexel {

class HelpWindow;

class QtHelpViewer : public HelpViewer {
 public:
  QtHelpViewer();
  ~QtHelpViewer() override;
  QtHelpViewer(const QtHelpViewer&) = delete;
  QtHelpViewer& operator=(const QtHelpViewer&) = delete;

  void Show(const std::string& path, const std::string& html, const std::string& section) override;

  // The window, null until the help was first shown.
  QWidget* window() const;

 private:
  std::unique_ptr<HelpWindow> window_;
};

}  // namespace codexel
