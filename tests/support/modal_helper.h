#pragma once
// Drives modal windows from a test the way a user would.
//
// A modal window blocks the test in its own event loop (QDialog::exec, a
// message box). Before the blocking call, the test lists what the user does,
// one step per window; the driver polls with a QTimer for the active modal
// window, records what it saw, and acts:
//
//   ModalDriver driver;
//   driver.Click("nextButton").PressEnter().PressEscape();
//   const int result = app.RunPageLoop(0);   // three pages open and close
//   driver.Finish();
//   EXPECT_EQ(driver.seen()[1].title, "...");
//
// Each step waits for a modal window that is not the one the previous step
// acted on (or, with SameWindow(), for that same window again, e.g. after
// a page refused to close). A step that finds no window within the timeout
// fails the test. A window that is still open when every step has been used
// fails the test and is closed after the timeout, so a test never hangs.
// Finish() stops the driver and fails for steps that never ran; the
// destructor calls it.

#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <ostream>
#include <vector>

// Lets test messages and failed comparisons print Qt texts and rectangles.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
  return out << text.toStdString();
}
inline std::ostream& operator<<(std::ostream& out, const QRect& rect) {
  return out << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << "x"
             << rect.height() << ")";
}

namespace codexel::testing {

struct ButtonSeen {
  QString object_name;
  QString text;
  QString accessible_name;
  bool enabled = false;
  bool is_default = false;
  QRect geometry;  // in the window's client coordinates
};

// What a step saw of its window just before acting.
struct ModalSeen {
  QString object_name;
  QString title;
  QRect geometry;                   // client area in screen coordinates
  std::vector<ButtonSeen> buttons;  // push buttons in creation order
  QString focus;                    // object name of the focused control

  // The button with this object name, or null.
  const ButtonSeen* Button(const QString& object_name) const;
};

class ModalDriver {
 public:
  using Inspector = std::function<void(QWidget& window)>;

  explicit ModalDriver(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  // Steps, in the order the windows appear. A driver without steps expects
  // no modal window at all.
  // Clicks the push button (or other button) with this object name.
  ModalDriver& Click(const QString& object_name);
  // Presses a key on the window's focused control (the window when none).
  ModalDriver& PressKey(int key);
  ModalDriver& PressEnter();
  ModalDriver& PressEscape();
  // Closes the window as its title bar's close button does.
  ModalDriver& CloseWindow();
  // Only records what it sees and runs the inspector; the window stays.
  ModalDriver& Look();

  // Modifiers of the step added last.
  // Runs `inspect` on the window before the step acts (to check controls,
  // move the window, give a control the focus...).
  ModalDriver& Inspect(Inspector inspect);
  // The step acts on the window the previous step acted on.
  ModalDriver& SameWindow();

  // Stops polling; fails the test for steps that never ran.
  void Finish();

  const std::vector<ModalSeen>& seen() const { return seen_; }
  int steps_done() const { return next_step_; }

 private:
  enum class Action { kClick, kKey, kClose, kLook };
  struct Step {
    Action action;
    QString target;
    int key = 0;
    Inspector inspect;
    bool same_window = false;
  };

  ModalDriver& Add(Step step);
  void Poll();
  QWidget* CandidateWindow(const Step& step) const;
  void Act(QWidget& window, const Step& step);
  void FailAndClose(const QString& why);
  void RestartClock();

  std::chrono::milliseconds timeout_;
  std::vector<Step> steps_;
  std::vector<ModalSeen> seen_;
  int next_step_ = 0;
  QPointer<QWidget> last_window_;
  QTimer timer_;
  std::chrono::steady_clock::time_point waiting_since_;
  bool finished_ = false;
  bool action_pending_ = false;  // an action was found and waits to run
  bool skipped_ = false;         // steps were dropped after a failure
};

// What a modal window shows, as ModalDriver records it.
ModalSeen Snapshot(QWidget& window);

}  // namespace codexel::testing
