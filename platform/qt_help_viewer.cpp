#include "platform/qt_help_viewer.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <iterator>
#include <vector>

namespace codexel {

namespace {

// The block whose text carries the anchor `name`; invalid when none does.
QTextBlock AnchorBlock(const QTextDocument& document, const QString& name) {
  if (name.isEmpty()) return {};
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      if (it.fragment().charFormat().anchorNames().contains(name)) return block;
    }
  }
  return {};
}

// The window a modal page is shown in: the root of the active modal window
// (a message box belongs to its page).
QWidget* ShownPage() {
  QWidget* modal = QApplication::activeModalWidget();
  while (modal && modal->parentWidget()) modal = modal->parentWidget()->window();
  return modal;
}

// The help's text. Tab and Shift+Tab move from the caret to the next or
// previous link; the browser's own search starts from the top or the end of
// the help whenever no link is selected, as after opening at a section.
class HelpText : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;

 protected:
  bool focusNextPrevChild(bool next) override {
    if (!textCursor().hasSelection() && SelectLinkFromCaret(next)) return true;
    return QTextBrowser::focusNextPrevChild(next);
  }

 private:
  bool SelectLinkFromCaret(bool next) {
    std::vector<QTextFragment> links;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (!it.fragment().charFormat().anchorHref().isEmpty()) links.push_back(it.fragment());
      }
    }
    const int caret = textCursor().position();
    const auto after = std::find_if(links.begin(), links.end(), [caret](const QTextFragment& link) {
      return link.position() >= caret;
    });
    if (next ? after == links.end() : after == links.begin()) return false;
    const QTextFragment& link = next ? *after : *std::prev(after);
    QTextCursor selection(document());
    selection.setPosition(link.position());
    selection.setPosition(link.position() + link.length(), QTextCursor::KeepAnchor);
    setTextCursor(selection);
    return true;
  }
};

}  // namespace

class HelpWindow : public QWidget {
 public:
  HelpWindow() : QWidget(nullptr, Qt::Window) {
    setObjectName("helpWindow");
    // Closing the help never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    browser_ = new HelpText(this);
    browser_->setObjectName("helpText");
    // Links are followed here: only those within the help go anywhere.
    browser_->setOpenLinks(false);
    // A caret that the keyboard moves, for reading line by line.
    browser_->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    QObject::connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
      if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment()) {
        GoTo(url.fragment());
      }
    });
    auto* close_button = new QPushButton(QStringLiteral("Close"), this);
    close_button->setObjectName("closeButton");
    close_button->setAccessibleName(close_button->text());
    QObject::connect(close_button, &QPushButton::clicked, this, [this] { close(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addLayout(buttons);
    resize(620, 540);
  }

  void Open(const std::string& path, const std::string& html, const std::string& section) {
    section_ = QString::fromStdString(section);
    browser_->document()->setBaseUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    browser_->setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
    const QString title = browser_->documentTitle().isEmpty() ? QStringLiteral("Help")
                                                                : browser_->documentTitle();
    browser_->setAccessibleName(title);
    FollowPage(ShownPage());
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    browser_->setFocus(Qt::OtherFocusReason);
    GoTo(section_);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Escape) {
      close();
      return;
    }
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F1) {
      GoTo(section_);
      return;
    }
    QWidget::keyPressEvent(event);
  }

  void showEvent(QShowEvent* event) override {
    qApp->installEventFilter(this);
    QWidget::showEvent(event);
  }

  void hideEvent(QHideEvent* event) override {
    qApp->removeEventFilter(this);
    QWidget::hideEvent(event);
    // Back to the page the help was read beside.
    if (QWidget* page = ShownPage(); page && !event->spontaneous()) page->activateWindow();
  }

  // While the help is open, each page that opens takes it over.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
      auto* shown = static_cast<QWidget*>(watched);
      if (shown->isWindow() && shown->isModal() && !shown->parentWidget()) FollowPage(shown);
    }
    return QWidget::eventFilter(watched, event);
  }

 private:
  // A modal window blocks every window but its own transient ones: the help
  // becomes one of the page's, so that it can still be used.
  void FollowPage(QWidget* page) {
    if (!page || !page->windowHandle()) return;
    if (!windowHandle()) create();
    windowHandle()->setTransientParent(page->windowHandle());
  }

  // Scrolls to the section (the top when it has no heading) and puts the
  // caret and the title there.
  void GoTo(const QString& section) {
    const QTextBlock heading = AnchorBlock(*browser_->document(), section);
    QTextCursor caret(browser_->document());
    if (heading.isValid()) caret.setPosition(heading.position());
    browser_->setTextCursor(caret);
    if (heading.isValid()) {
      browser_->scrollToAnchor(section);
    } else {
      browser_->verticalScrollBar()->setValue(0);
    }
    QString title = browser_->accessibleName();
    if (heading.isValid()) title += QStringLiteral(" -- ") + heading.text().trimmed();
    setWindowTitle(title);
    setAccessibleName(title);
  }

  QTextBrowser* browser_ = nullptr;
  QString section_;
};

QtHelpViewer::QtHelpViewer() = default;

QtHelpViewer::~QtHelpViewer() = default;

void QtHelpViewer::Show(const std::string& path, const std::string& html,
                        const std::string& section) {
  if (!window_) window_ = std::make_unique<HelpWindow>();
  window_->Open(path, html, section);
}

QWidget* QtHelpViewer::window() const { return window_.get(); }

}  // namespace codexel
