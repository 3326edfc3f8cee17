#include "rs_pages/rs_parameters_page.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "host/number_text.h"
#include "rs_engine/rs_wizard_app.h"
#include "ui_rs_parameters_page.h"

namespace codexel {

namespace {

constexpr ParameterField kFields[] = {ParameterField::kBits, ParameterField::kSymbols,
                                      ParameterField::kChecks, ParameterField::kPolynomial,
                                      ParameterField::kFirstRoot};

bool SameItems(const QComboBox& combo, const std::vector<int>& items) {
  if (combo.count() != static_cast<int>(items.size())) return false;
  for (int i = 0; i < combo.count(); ++i) {
    if (combo.itemText(i).toStdString() != FormatInt(items[static_cast<std::size_t>(i)])) {
      return false;
    }
  }
  return true;
}

// Sets a field's list and text as the program does: no handler runs, and the
// current item is the one the text names, if any, so that the arrow keys
// move on from it.
void ShowField(QComboBox& combo, const std::vector<int>* items, const std::string& text) {
  const QSignalBlocker blocker(combo);
  if (items && !SameItems(combo, *items)) {
    combo.clear();
    for (int value : *items) combo.addItem(QString::fromStdString(FormatInt(value)));
  }
  const QString shown = QString::fromStdString(text);
  const int index = combo.findText(shown, Qt::MatchExactly);
  if (combo.currentIndex() != index) combo.setCurrentIndex(index);
  if (combo.currentText() != shown) combo.setEditText(shown);
}

// Resets a flag when the scope ends, however it ends.
class Raised {
 public:
  explicit Raised(bool& flag) : flag_(flag) { flag_ = true; }
  ~Raised() { flag_ = false; }
  Raised(const Raised&) = delete;
  Raised& operator=(const Raised&) = delete;

 private:
  bool& flag_;
};

// Runs `act` once the event loop is back after each release of the left
// mouse button on the watched control, that is after any click it made.
class ReleaseWatch : public QObject {
 public:
  ReleaseWatch(QWidget* control, std::function<void()> act)
      : QObject(control), act_(std::move(act)) {
    control->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      QMetaObject::invokeMethod(this, act_, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> act_;
};

}  // namespace

RsParametersPage::RsParametersPage(RsWizardApp& app, const Symbol* symbol)
    : RsPage(app, symbol),
      form_(app.parameters(), [this](const FieldMessage& message) {
        // The box shows over the fields as they stand at this moment.
        ShowForm();
        ShowMessageBox(message.title, message.text);
      }) {}

RsParametersPage::~RsParametersPage() = default;

QComboBox* RsParametersPage::Combo(ParameterField field) const {
  switch (field) {
    case ParameterField::kBits: return ui_->bitsField;
    case ParameterField::kSymbols: return ui_->symbolsField;
    case ParameterField::kChecks: return ui_->checksField;
    case ParameterField::kPolynomial: return ui_->polynomialField;
    case ParameterField::kFirstRoot: return ui_->firstRootField;
  }
  return nullptr;
}

void RsParametersPage::CreateControls(QDialog& page) {
  ui_ = std::make_unique<::Ui::RsParametersPage>();
  ui_->setupUi(&page);
  for (ParameterField field : kFields) {
    QComboBox* combo = Combo(field);
    // Typed text is the user's to check, never completed or made an item.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    QObject::connect(combo, &QComboBox::activated, &page,
                     [this, field](int index) { Picked(field, index); });
    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, &page,
                     [this, field] { typed_[static_cast<std::size_t>(field)] = true; });
    OnFocusLost(combo, [this, field](Qt::FocusReason reason) { FocusLost(field, reason); });
  }
  QObject::connect(ui_->dvbButton, &QPushButton::clicked, &page, [this] { Preset(); });
}

void RsParametersPage::OnPageOpened() {
  leaving_ = false;
  cancel_pressed_ = false;
  typed_ = {};
  form_.Initialise();
  ShowForm();
  // A press on "Cancel" defers the check of the field it took the focus
  // from; when the press ends without a click (released off the button), the
  // check runs then. A click has closed the page by the time this runs.
  if (auto* cancel = dialog()->findChild<QPushButton*>(QStringLiteral("cancelButton"))) {
    new ReleaseWatch(cancel, [this] {
      if (!leaving_) CheckTyped(std::nullopt);
    });
  }
}

std::string RsParametersPage::ShownText(ParameterField field) const {
  return Combo(field)->currentText().toStdString();
}

bool RsParametersPage::Unchecked(ParameterField field) const {
  return typed_[static_cast<std::size_t>(field)] || ShownText(field) != form_.text(field);
}

void RsParametersPage::ShowForm() {
  if (!ui_ || !dialog()) return;
  for (ParameterField field : kFields) {
    // The bits list comes with the form and is never rebuilt.
    const std::vector<int>* items = field == ParameterField::kBits ? nullptr : &form_.items(field);
    ShowField(*Combo(field), items, form_.text(field));
  }
}

bool RsParametersPage::CheckTyped(std::optional<ParameterField> also) {
  if (busy_ || leaving_ || !dialog()) return false;
  const Raised busy(busy_);
  // Every text the user changed that has not been checked, taken before the
  // first check refills the lists; each is then checked in turn, in field
  // order, against the values the checks before it left.
  std::array<std::optional<std::string>, kParameterFieldCount> texts;
  bool any = false;
  for (ParameterField field : kFields) {
    if (field == also || Unchecked(field)) {
      texts[static_cast<std::size_t>(field)] = ShownText(field);
      any = true;
    }
  }
  typed_ = {};
  cancel_pressed_ = false;
  bool corrected = false;
  for (ParameterField field : kFields) {
    if (const auto& text = texts[static_cast<std::size_t>(field)]) {
      form_.SetText(field, *text);
      corrected = form_.FocusLost(field) || corrected;
    }
  }
  if (!any) return false;
  ShowForm();
  RefreshPreview();
  return corrected;
}

void RsParametersPage::FocusLost(ParameterField field, Qt::FocusReason reason) {
  if (busy_ || leaving_ || !dialog()) return;
  // A press on "Cancel" checks nothing yet: a click ends the run, a press
  // that slides off checks when the button is released.
  QWidget* to = QApplication::focusWidget();
  if (reason == Qt::MouseFocusReason && to && to->objectName() == QLatin1String("cancelButton")) {
    cancel_pressed_ = true;
    return;
  }
  CheckTyped(field);
}

void RsParametersPage::Picked(ParameterField field, int index) {
  if (busy_ || leaving_ || index < 0) return;
  // Another window taking the activation (the help, say) ends the typing,
  // and the list then reports a typed text that is one of its items as
  // picked. The page has not lost the focus: the text waits for its check.
  if (typed_[static_cast<std::size_t>(field)] && dialog() && !dialog()->isActiveWindow()) return;
  // The field's own text committed while "Cancel" is pressed waits with it.
  if (cancel_pressed_ && QApplication::focusWidget() &&
      QApplication::focusWidget()->objectName() == QLatin1String("cancelButton")) {
    return;
  }
  // A typed text that happens to be an item, or an item picked while another
  // field holds a typed value, goes through the checks like any typed value.
  bool others_typed = false;
  for (ParameterField other : kFields) {
    if (other != field && Unchecked(other)) others_typed = true;
  }
  if (typed_[static_cast<std::size_t>(field)] || others_typed) {
    CheckTyped(field);
    return;
  }
  const Raised busy(busy_);
  form_.Picked(field, Combo(field)->itemText(index).toStdString());
  ShowForm();
  RefreshPreview();
}

void RsParametersPage::Preset() {
  if (busy_) return;
  // A typed value gets its check (and box) before the preset replaces it.
  CheckTyped(std::nullopt);
  const Raised busy(busy_);
  form_.Preset();
  ShowForm();
  RefreshPreview();
}

bool RsParametersPage::MayLeave() {
  if (busy_) return false;
  std::optional<ParameterField> focused;
  QWidget* focus = QApplication::focusWidget();
  for (ParameterField field : kFields) {
    QComboBox* combo = Combo(field);
    if (focus && (focus == combo || combo->isAncestorOf(focus))) focused = field;
  }
  return !CheckTyped(focused);
}

template <class Act>
void RsParametersPage::LeaveChecked(Act leave) {
  if (!dialog() || !MayLeave()) return;
  leaving_ = true;
  leave();
  // A page that stays open (nothing in this wizard refuses) checks again.
  if (dialog() && dialog()->isVisible()) leaving_ = false;
}

void RsParametersPage::OnBack() {
  LeaveChecked([this] { RsPage::OnBack(); });
}

void RsParametersPage::OnNext() {
  LeaveChecked([this] { RsPage::OnNext(); });
}

void RsParametersPage::OnFinish() {
  LeaveChecked([this] { RsPage::OnFinish(); });
}

void RsParametersPage::OnAccept() {
  LeaveChecked([this] { RsPage::OnAccept(); });
}

void RsParametersPage::OnCancel() {
  leaving_ = true;
  cancel_pressed_ = false;
  RsPage::OnCancel();
}

}  // namespace codexel
