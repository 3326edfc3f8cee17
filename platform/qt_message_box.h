#pragma once
// The platform services that need Qt Widgets: the message box, and the end
// of a run whose window another program destroyed. They live in the widgets
// library, so that the programs without pages link Qt Gui alone.

#include <string>

#include "platform/services.h"

namespace codexel {

// QMessageBox with one OK button, owned by the active modal window if any.
// Shows nothing once ModalWindowLost() is true.
class QtMessageService : public MessageService {
 public:
  void Show(const std::string& title, const std::string& text) override;
};

// From now on, when another X client destroys one of the program's dialog
// windows (a page or a message box), every open dialog is rejected, and
// ModalWindowLost() tells the page loop to end the run as cancelled. Needs a
// QApplication; does nothing on a platform other than xcb.
void WatchForLostWindows();
bool ModalWindowLost();

}  // namespace codexel
