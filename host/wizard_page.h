#pragma once
// The base of every wizard page: a modal dialog built from the page's
// template (its own controls, size and caption), with the navigation row
// "Cancel", "< Back", "Next >", "Finish" and the separator above it.
//
// The page object lives for the whole run; each ShowModal builds a fresh
// window from the template and destroys it when the page is left, so
// pointers to controls are valid only while dialog() is not null.
//
// Object names of the controls the base adds (for tests and assistive
// technology; every accessible name equals the visible label):
//   "cancelButton"  "Cancel"
//   "backButton"    "< Back"
//   "nextButton"    "Next >"
//   "finishButton"  "Finish"
//   "separator"     the black line above the row (decoration, no name)
// The dialog itself is named "wizardPage".

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <string>

#include "host/page_interface.h"

class QDialog;
class QFrame;
class QPushButton;
class QWidget;

namespace codexel {

class WizardApp;
class PageDialog;

// What a page is built from besides its controls. A page whose controls come
// from a Qt Designer form leaves both empty: the form sizes the page and its
// window title is the caption.
struct PageTemplate {
  std::string caption;  // "" for none; else shown after the title and " -- "
  QSize size;           // client size in pixels before AdjustLayout
};

// The font of every page and of its buttons.
QFont PageFont();

// Gives a control its stable object name and, as accessible name, the label
// the user sees on or beside it. Returns the control for chaining.
template <class Control>
Control* NameControl(Control* control, const char* object_name, const QString& label) {
  control->setObjectName(QString::fromLatin1(object_name));
  control->setAccessibleName(label);
  return control;
}

class WizardPage : public PageInterface {
 public:
  // Sizes of the navigation row and the separator.
  static constexpr int kButtonWidth = 56;
  static constexpr int kButtonHeight = 20;
  static constexpr int kButtonGap = 3;
  static constexpr int kEdgeMargin = 10;
  static constexpr int kMinimumWidth = 253;
  static constexpr int kExtraHeight = 40;
  static constexpr int kSeparatorHeight = 2;

  WizardPage(WizardApp& app, PageTemplate page_template);
  ~WizardPage() override;
  WizardPage(const WizardPage&) = delete;
  WizardPage& operator=(const WizardPage&) = delete;

  // PageInterface.
  void SetTitle(const std::string& title) override { title_ = title; }
  void SetPositionKind(int kind) override { position_kind_ = kind; }
  int ShowModal() override;

  // Hooks of the page, in the order the page calls them.
  // Records the page width, then widens the page to at least 253 pixels and
  // makes it 40 pixels taller, its top-left corner staying where it is.
  virtual void AdjustLayout();
  // Sets the placement point to the window's lower-right corner.
  virtual bool RememberPosition();
  virtual void OnBack();
  virtual void OnNext();
  virtual void OnFinish();
  // Asked before the page is left by Back, Next or Finish.
  virtual bool ValidatePage() { return true; }
  // The anchor of the page's section in the help file, where F1 opens it;
  // empty for the top.
  virtual std::string HelpSection() const { return std::string(); }

  int navigation_result() const { return navigation_result_; }
  int position_kind() const { return position_kind_; }
  const std::string& title() const { return title_; }
  const PageTemplate& page_template() const { return template_; }
  int page_width() const { return page_width_; }
  // The window of the current showing, null between showings.
  QDialog* dialog() const;

 protected:
  // Creates the page's own controls in `page` with absolute geometry (a
  // form's setupUi).
  virtual void CreateControls(QDialog& page) { (void)page; }
  // Runs each time the page is shown, after the opening steps.
  virtual void OnPageOpened() {}
  // The accept command (Enter while no push button has the focus): the data
  // exchange and close, leaving in the direction the page was last left.
  virtual void OnAccept();
  // The cancel command: "Cancel", Escape, closing the window.
  virtual void OnCancel();
  // The page's data exchange on accept; false keeps the page open.
  virtual bool ExchangeData() { return true; }

  WizardApp& app() const { return app_; }
  void set_page_width(int width) { page_width_ = width; }
  // Page geometry in screen coordinates: the client area.
  QRect PageRect() const;
  // Moves and resizes the page window (client area, screen coordinates).
  void SetPageRect(const QRect& rect);
  // A modal message box with one OK button, over this page.
  void ShowMessageBox(const std::string& title, const std::string& text);
  // Calls `handler` with the reason each time `control` loses the keyboard
  // focus to another control of the page (not when a drop-down opens or the
  // window goes inactive, as it does for a message box). Lives as long as the
  // control.
  static void OnFocusLost(QWidget* control, std::function<void(Qt::FocusReason)> handler);

 private:
  friend class PageDialog;

  void Open();
  void PlacePage();
  void CreateButtonRow();
  void CreateSeparator();
  void ApplyButtonStates();
  void Leave(int result);
  void AcceptDialog();
  // Keyboard of the page: Enter, Escape and F1.
  bool HandleKey(int key);

  WizardApp& app_;
  PageTemplate template_;
  std::string title_;
  int position_kind_ = kFirstAfterCallerPages;
  int navigation_result_ = kNavNext;
  int page_width_ = 0;
  PageDialog* dialog_ = nullptr;
};

}  // namespace codexel
