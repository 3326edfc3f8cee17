// The floor of the start-up benchmark: a Qt Widgets program that only shows
// one dialog, with a label and a button, and waits to be ended.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QDialog dialog;
  dialog.setWindowTitle(QStringLiteral("Floor"));
  dialog.resize(460, 288);
  auto* label = new QLabel(QStringLiteral("A dialog and nothing else."), &dialog);
  label->setGeometry(10, 10, 300, 20);
  auto* button = new QPushButton(QStringLiteral("Cancel"), &dialog);
  button->setGeometry(394, 258, 56, 20);
  dialog.show();
  return app.exec();
}
