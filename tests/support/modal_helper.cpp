#include "tests/support/modal_helper.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>

namespace codexel::testing {

namespace {

constexpr int kPollMilliseconds = 10;

QWidget* FocusTarget(QWidget& window) {
  QWidget* focus = QApplication::focusWidget();
  if (focus && focus->window() == &window) return focus;
  return window.focusWidget() ? window.focusWidget() : &window;
}

QWidget* VisibleModalWindow() {
  QWidget* window = QApplication::activeModalWidget();
  return window && window->isVisible() ? window : nullptr;
}

}  // namespace

const ButtonSeen* ModalSeen::Button(const QString& name) const {
  for (const ButtonSeen& button : buttons) {
    if (button.object_name == name) return &button;
  }
  return nullptr;
}

ModalSeen Snapshot(QWidget& window) {
  ModalSeen seen;
  seen.object_name = window.objectName();
  seen.title = window.windowTitle();
  seen.geometry = window.geometry();
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    seen.buttons.push_back({button->objectName(), button->text(), button->accessibleName(),
                            button->isEnabled(), button->isDefault(), button->geometry()});
  }
  QWidget* focus = FocusTarget(window);
  seen.focus = focus == &window ? QString() : focus->objectName();
  return seen;
}

ModalDriver::ModalDriver(std::chrono::milliseconds timeout) : timeout_(timeout) {
  timer_.setInterval(kPollMilliseconds);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  // Polls from the start: a window that opens when none was expected fails.
  RestartClock();
  timer_.start();
}

ModalDriver::~ModalDriver() { Finish(); }

ModalDriver& ModalDriver::Add(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

ModalDriver& ModalDriver::Click(const QString& object_name) {
  return Add({Action::kClick, object_name, 0, nullptr, false});
}

ModalDriver& ModalDriver::PressKey(int key) { return Add({Action::kKey, {}, key, nullptr, false}); }
ModalDriver& ModalDriver::PressEnter() { return PressKey(Qt::Key_Return); }
ModalDriver& ModalDriver::PressEscape() { return PressKey(Qt::Key_Escape); }
ModalDriver& ModalDriver::CloseWindow() { return Add({Action::kClose, {}, 0, nullptr, false}); }
ModalDriver& ModalDriver::Look() { return Add({Action::kLook, {}, 0, nullptr, false}); }

ModalDriver& ModalDriver::Inspect(Inspector inspect) {
  if (!steps_.empty()) steps_.back().inspect = std::move(inspect);
  return *this;
}

ModalDriver& ModalDriver::SameWindow() {
  if (!steps_.empty()) steps_.back().same_window = true;
  return *this;
}

void ModalDriver::RestartClock() { waiting_since_ = std::chrono::steady_clock::now(); }

QWidget* ModalDriver::CandidateWindow(const Step& step) const {
  QWidget* window = VisibleModalWindow();
  if (!window) return nullptr;
  const bool same = window == last_window_.data();
  return same == step.same_window ? window : nullptr;
}

void ModalDriver::Poll() {
  if (finished_ || action_pending_) return;
  const bool timed_out = std::chrono::steady_clock::now() - waiting_since_ > timeout_;
  if (next_step_ < static_cast<int>(steps_.size())) {
    const std::size_t index = static_cast<std::size_t>(next_step_);
    if (QWidget* window = CandidateWindow(steps_[index])) {
      ++next_step_;
      last_window_ = window;
      action_pending_ = true;
      // Acting from a fresh event, not from inside this timer's handler: the
      // action may open a nested modal window, which this timer must still
      // be able to drive.
      QTimer::singleShot(0, &timer_, [this, target = QPointer<QWidget>(window), index] {
        action_pending_ = false;
        RestartClock();
        const Step step = steps_[index];  // steps may be added while it acts
        if (target) Act(*target, step);
      });
    } else if (timed_out) {
      FailAndClose(QString("step %1 found no new modal window").arg(next_step_ + 1));
      next_step_ = static_cast<int>(steps_.size());
      skipped_ = true;
    }
    return;
  }
  if (!VisibleModalWindow()) {
    RestartClock();
  } else if (timed_out) {
    FailAndClose("a modal window is still open after the last step");
  }
}

void ModalDriver::Act(QWidget& window, const Step& step) {
  seen_.push_back(Snapshot(window));
  if (step.inspect) step.inspect(window);
  switch (step.action) {
    case Action::kClick: {
      auto* button = window.findChild<QAbstractButton*>(step.target);
      if (!button) {
        FailAndClose("no button named " + step.target);
        return;
      }
      QTest::mouseClick(button, Qt::LeftButton);
      return;
    }
    case Action::kKey:
      QTest::keyClick(FocusTarget(window), static_cast<Qt::Key>(step.key));
      return;
    case Action::kClose:
      window.close();
      return;
    case Action::kLook:
      return;
  }
}

void ModalDriver::FailAndClose(const QString& why) {
  ADD_FAILURE() << "ModalDriver: " << why.toStdString();
  // Hiding a modal window ends its event loop whatever its handlers do.
  for (int i = 0; i < 16; ++i) {
    QWidget* window = VisibleModalWindow();
    if (!window) break;
    window->hide();
  }
  RestartClock();
}

void ModalDriver::Finish() {
  if (finished_) return;
  finished_ = true;
  timer_.stop();
  if (!skipped_ && next_step_ < static_cast<int>(steps_.size())) {
    ADD_FAILURE() << "ModalDriver: " << steps_.size() - static_cast<std::size_t>(next_step_)
                  << " step(s) never ran";
  }
}

}  // namespace codexel::testing
