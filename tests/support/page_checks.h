#pragma once
// Checks of a page window as assistive technology and the keyboard meet it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

namespace codexel::testing {

// Every control has an object name; buttons and group boxes are named by
// their text, labels by theirs, and a field by its buddy label's text.
inline void ExpectAccessibleNames(QWidget& window) {
  for (QWidget* child : window.findChildren<QWidget*>()) {
    // The parts of a drop-down list (its text field and list) are the list's.
    bool part = false;
    for (QWidget* up = child->parentWidget(); up && up != &window; up = up->parentWidget()) {
      part = part || qobject_cast<QComboBox*>(up);
    }
    if (part) continue;
    const QString name = child->objectName();
    if (child->focusPolicy() != Qt::NoFocus) {
      EXPECT_FALSE(name.isEmpty()) << child->metaObject()->className() << " without a name";
    }
    if (auto* button = qobject_cast<QAbstractButton*>(child)) {
      // The label as read out: without its mnemonic marker.
      QString label = button->text();
      label.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
      EXPECT_EQ(button->accessibleName(), label) << name.toStdString();
    } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
      EXPECT_EQ(group->accessibleName(), group->title()) << name.toStdString();
    } else if (auto* label = qobject_cast<QLabel*>(child)) {
      if (!label->text().isEmpty()) {
        EXPECT_EQ(label->accessibleName(), label->text()) << name.toStdString();
      }
      if (QWidget* buddy = label->buddy()) {
        EXPECT_EQ(buddy->accessibleName(), label->text()) << buddy->objectName().toStdString();
      }
    }
  }
}

// A control of a page's form; a name the form lacks is a fault of the test.
template <class Control = QWidget>
Control& Get(QWidget& window, const char* name) {
  auto* control = window.findChild<Control*>(name);
  if (!control) qFatal("no control %s", name);
  return *control;
}

inline bool Marked(QWidget& window, const char* name) {
  return Get<QAbstractButton>(window, name).isChecked();
}

// Clicks where a user would: a push button in its middle, a check box or
// radio button on its mark (its middle may lie beyond its text).
inline void ClickButton(QWidget& window, const char* name) {
  auto& button = Get<QAbstractButton>(window, name);
  const QPoint at = qobject_cast<QPushButton*>(&button) ? button.rect().center()
                                                        : QPoint(6, button.height() / 2);
  QTest::mouseClick(&button, Qt::LeftButton, {}, at);
}

// The object names the focus visits when Tab is pressed `count` times,
// starting from the control that has it.
inline std::vector<std::string> TabWalk(QWidget& window, int count) {
  std::vector<std::string> visited;
  for (int i = 0; i < count; ++i) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                    Qt::Key_Tab);
    QWidget* focus = QApplication::focusWidget();
    visited.push_back(focus ? focus->objectName().toStdString() : std::string());
  }
  return visited;
}

}  // namespace codexel::testing
