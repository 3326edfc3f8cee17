#include "host/wizard_page.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QFocusEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "host/wizard_app.h"
#include "platform/qt_font.h"
#include "platform/qt_message_box.h"
#include "platform/qt_services.h"

namespace codexel {

// The window of one showing. It hands the keyboard and the cancel command
// to its page.
class PageDialog : public QDialog {
 public:
  explicit PageDialog(WizardPage& page) : page_(page) {
    setObjectName("wizardPage");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(PageFont());
  }

  // Closing without going through the page's handlers again.
  void CloseAccepted() { QDialog::accept(); }
  void CloseRejected() { QDialog::reject(); }

  // The cancel command, also sent when the window is closed.
  void reject() override { page_.OnCancel(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && page_.HandleKey(event->key())) {
      event->accept();
      return;
    }
    QDialog::keyPressEvent(event);
  }

 private:
  WizardPage& page_;
};

namespace {

// Runs a handler when the watched control loses the focus to another
// control of its window.
class FocusLostFilter : public QObject {
 public:
  FocusLostFilter(QWidget* control, std::function<void(Qt::FocusReason)> handler)
      : QObject(control), handler_(std::move(handler)) {
    control->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) handler_(reason);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(Qt::FocusReason)> handler_;
};

QPushButton* MakeButton(QDialog& page, const char* object_name, const char* label) {
  auto* button = new QPushButton(QString::fromLatin1(label), &page);
  NameControl(button, object_name, button->text());
  button->setFont(page.font());
  button->setFocusPolicy(Qt::StrongFocus);
  button->setAutoDefault(false);
  return button;
}

// Tab groups: the arrow keys move the focus within a group only.
void GroupButtons(QDialog& page, QPushButton* first, QPushButton* second) {
  auto* group = new QButtonGroup(&page);
  group->setExclusive(false);
  group->addButton(first);
  group->addButton(second);
}

// Centre of [begin, begin + extent), halved toward zero like the corners.
int Centre(int begin, int extent) { return (begin + begin + extent) / 2; }

// The left (or top) edge of a page `extent` wide whose far edge is at
// `corner`: worked out in 64 bits and kept within a range far beyond any
// screen, so that the extreme -x and -y values cannot overflow.
int PageOrigin(int corner, int extent) {
  constexpr long long kLimit = 1LL << 24;
  return static_cast<int>(std::clamp(static_cast<long long>(corner) - extent, -kLimit, kLimit));
}

}  // namespace

QFont PageFont() {
  // The symbol's 8-point face, so that the pages and the preview share one
  // loaded font.
  return MakeQFont(MakeFontRequest("Arial", 8, false, ScreenVerticalDpi()));
}

WizardPage::WizardPage(WizardApp& app, PageTemplate page_template)
    : app_(app), template_(std::move(page_template)) {}

WizardPage::~WizardPage() = default;

QDialog* WizardPage::dialog() const { return dialog_; }

int WizardPage::ShowModal() {
  auto window = std::make_unique<PageDialog>(*this);
  dialog_ = window.get();
  // The window goes with this showing, however the showing ends.
  struct Forget {
    PageDialog*& shown;
    ~Forget() { shown = nullptr; }
  } forget{dialog_};
  Open();
  window->exec();
  // Another program destroyed this window or a box over it: the run ends as
  // cancelled, whatever a handler did after the box was closed for it.
  if (ModalWindowLost()) navigation_result_ = kNavCancel;
  return navigation_result_;
}

// The opening steps of every showing.
void WizardPage::Open() {
  PageDialog& page = *dialog_;
  if (template_.size.isValid()) SetPageRect(QRect(QPoint(0, 0), template_.size));
  CreateControls(page);
  // Enter presses the focused push button and nothing else; see HandleKey.
  for (QPushButton* button : page.findChildren<QPushButton*>()) button->setAutoDefault(false);

  const std::string own_caption =
      template_.caption.empty() ? page.windowTitle().toStdString() : template_.caption;
  std::string caption = title_;
  if (!own_caption.empty()) caption += " -- " + own_caption;
  page.setWindowTitle(QString::fromStdString(caption));
  page.setAccessibleName(page.windowTitle());

  AdjustLayout();
  PlacePage();
  CreateButtonRow();
  CreateSeparator();
  ApplyButtonStates();
  page.setFixedSize(page.size());
  OnPageOpened();
}

QRect WizardPage::PageRect() const { return dialog_ ? dialog_->geometry() : QRect(); }

void WizardPage::SetPageRect(const QRect& rect) {
  if (dialog_) dialog_->setGeometry(rect);
}

void WizardPage::AdjustLayout() {
  const QRect rect = PageRect();
  page_width_ = rect.width();
  SetPageRect(QRect(rect.topLeft(),
                    QSize(std::max(rect.width(), kMinimumWidth), rect.height() + kExtraHeight)));
}

void WizardPage::PlacePage() {
  HostState& host = app_.host();
  const QRect rect = PageRect();
  const int w = rect.width();
  const int h = rect.height();
  if (host.placement_flag) {
    SetPageRect(QRect(PageOrigin(host.placement_x, w), PageOrigin(host.placement_y, h), w, h));
    return;
  }
  // Pages have no owner window: centre over the desktop.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect desktop = screen ? screen->geometry() : QRect(0, 0, 0, 0);
  const int cx = Centre(desktop.x(), desktop.width());
  const int cy = Centre(desktop.y(), desktop.height());
  SetPageRect(QRect(cx - w / 2, cy - h / 2, w, h));
  host.placement_x = cx + w / 2;
  host.placement_y = cy + h / 2;
  host.placement_flag = true;
}

void WizardPage::CreateButtonRow() {
  QDialog& page = *dialog_;
  QPushButton* cancel = MakeButton(page, "cancelButton", "Cancel");
  QPushButton* back = MakeButton(page, "backButton", "< Back");
  QPushButton* next = MakeButton(page, "nextButton", "Next >");
  QPushButton* finish = MakeButton(page, "finishButton", "Finish");

  const int top = page.height() - kEdgeMargin - kButtonHeight;
  int left = page.width() - kEdgeMargin - kButtonWidth;
  for (QPushButton* button : {finish, next, back, cancel}) {
    button->setGeometry(left, top, kButtonWidth, kButtonHeight);
    left -= kButtonWidth + kButtonGap;
  }
  // After the page's own controls, left to right; "Next >" opens a new group.
  QWidget::setTabOrder(cancel, back);
  QWidget::setTabOrder(back, next);
  QWidget::setTabOrder(next, finish);
  GroupButtons(page, cancel, back);
  GroupButtons(page, next, finish);

  QObject::connect(cancel, &QPushButton::clicked, &page, [this] { OnCancel(); });
  QObject::connect(back, &QPushButton::clicked, &page, [this] { OnBack(); });
  QObject::connect(next, &QPushButton::clicked, &page, [this] { OnNext(); });
  QObject::connect(finish, &QPushButton::clicked, &page, [this] { OnFinish(); });
}

void WizardPage::CreateSeparator() {
  QDialog& page = *dialog_;
  const int right = page.width() - kEdgeMargin;
  const int left = page_width_ > kMinimumWidth ? page.width() - page_width_ + kEdgeMargin
                                               : page.width() - (kMinimumWidth - kEdgeMargin);
  auto* separator = new QFrame(&page);
  separator->setObjectName("separator");
  separator->setFrameShape(QFrame::NoFrame);
  separator->setFocusPolicy(Qt::NoFocus);
  QPalette palette = separator->palette();
  palette.setColor(QPalette::Window, Qt::black);
  separator->setPalette(palette);
  separator->setAutoFillBackground(true);
  separator->setGeometry(left, page.height() - kExtraHeight, right - left, kSeparatorHeight);
}

void WizardPage::ApplyButtonStates() {
  QDialog& page = *dialog_;
  auto* back = page.findChild<QPushButton*>("backButton");
  auto* next = page.findChild<QPushButton*>("nextButton");
  auto* finish = page.findChild<QPushButton*>("finishButton");
  if (position_kind_ == kFirstPage) {
    back->setEnabled(false);
    next->setDefault(true);
  } else if (position_kind_ == kLastPage) {
    next->setEnabled(false);
    finish->setDefault(true);
  }
}

bool WizardPage::RememberPosition() {
  if (!dialog_) return false;
  const QRect rect = PageRect();
  HostState& host = app_.host();
  host.placement_x = rect.x() + rect.width();
  host.placement_y = rect.y() + rect.height();
  return true;
}

void WizardPage::OnBack() { Leave(kNavBack); }
void WizardPage::OnNext() { Leave(kNavNext); }
void WizardPage::OnFinish() { Leave(kNavFinish); }

void WizardPage::Leave(int result) {
  if (!RememberPosition()) return;
  if (!ValidatePage()) return;
  navigation_result_ = result;
  app_.NotifyCaller();
  AcceptDialog();
}

void WizardPage::AcceptDialog() {
  if (dialog_ && ExchangeData()) dialog_->CloseAccepted();
}

void WizardPage::OnAccept() { AcceptDialog(); }

void WizardPage::OnCancel() {
  navigation_result_ = kNavCancel;
  app_.NotifyCaller();
  if (dialog_) dialog_->CloseRejected();
}

bool WizardPage::HandleKey(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
      if (focused && focused->window() == dialog_) {
        if (focused->isEnabled()) focused->click();
      } else {
        OnAccept();
      }
      return true;
    }
    case Qt::Key_Escape:
      OnCancel();
      return true;
    case Qt::Key_F1:
      app_.OnHelp(HelpSection());
      return true;
    default:
      return false;
  }
}

void WizardPage::ShowMessageBox(const std::string& title, const std::string& text) {
  app_.services().messages.Show(title, text);
}

void WizardPage::OnFocusLost(QWidget* control, std::function<void(Qt::FocusReason)> handler) {
  new FocusLostFilter(control, std::move(handler));
}

}  // namespace codexel
