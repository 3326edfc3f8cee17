#include "platform/qt_message_box.h"

#include <QAbstractButton>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <cstdint>
#include <cstring>
#include <vector>

namespace codexel {

namespace {

// A message box whose title and text Ctrl+C copies, framed by dashed lines,
// so that a user can paste the message into a report.
class CopyableMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Copy)) {
      const QString rule = QStringLiteral("---------------------------\n");
      QGuiApplication::clipboard()->setText(rule + windowTitle() + u'\n' + rule + text() + u'\n' +
                                            rule + QStringLiteral("OK\n") + rule);
      event->accept();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
};

}  // namespace

void QtMessageService::Show(const std::string& title, const std::string& text) {
  // A run whose window another program destroyed is ending as cancelled:
  // nobody could answer a new box.
  if (ModalWindowLost()) return;
  CopyableMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                         QString::fromStdString(text), QMessageBox::Ok,
                         QApplication::activeModalWidget());
  box.setObjectName("messageBox");
  box.setTextFormat(Qt::PlainText);
  box.setAccessibleName(QString::fromStdString(title));
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) {
    ok->setObjectName("okButton");
    ok->setAccessibleName("OK");
  }
  box.exec();
}

// ---- Windows destroyed by another program ----

namespace {

bool window_lost = false;

// Watches the X server's events for the destruction of one of the program's
// dialog windows. Qt selects structure notifications on its windows, so a
// DestroyNotify names the window itself. A window Qt destroys has lost its
// id by the time the event arrives, so only a foreign destruction matches.
class LostWindowFilter : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    constexpr std::uint8_t kDestroyNotify = 17;
    if (type != "xcb_generic_event_t" || !message) return false;
    const auto* event = static_cast<const unsigned char*>(message);
    if ((event[0] & 0x7f) != kDestroyNotify) return false;
    std::uint32_t window = 0;  // xcb_destroy_notify_event_t::window
    std::memcpy(&window, event + 8, sizeof window);
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (qobject_cast<QDialog*>(top) && top->internalWinId() == window) {
        window_lost = true;
        // Closed from the event loop, not from inside the event dispatch.
        QMetaObject::invokeMethod(qApp, &CloseModalDialogs, Qt::QueuedConnection);
        break;
      }
    }
    return false;
  }

 private:
  // Rejects every open dialog, the innermost first: a message box returns
  // to its handler, a page runs its cancel command.
  static void CloseModalDialogs() {
    std::vector<QPointer<QDialog>> open;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible()) {
        open.emplace_back(dialog);
      }
    }
    std::vector<QPointer<QDialog>> ordered;
    if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ordered.emplace_back(modal);
    }
    ordered.insert(ordered.end(), open.begin(), open.end());
    for (const QPointer<QDialog>& dialog : ordered) {
      if (dialog && dialog->isVisible()) dialog->reject();
    }
  }
};

}  // namespace

void WatchForLostWindows() {
  static LostWindowFilter filter;
  static bool installed = false;
  if (installed || !QCoreApplication::instance()) return;
  QCoreApplication::instance()->installNativeEventFilter(&filter);
  installed = true;
}

bool ModalWindowLost() { return window_lost; }

}  // namespace codexel
