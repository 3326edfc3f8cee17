// The floor of the start-up benchmark: a Qt Widgets program that only shows
// one dialog, a text and a button, and waits to be ended.
//
// As most dialogs are, it is sized by a layout from its contents, so its
// font is loaded before the window is mapped, as the wizard's must be (the
// wizard sizes its pages from measured texts). With --bare the contents have
// fixed geometry instead, and no font is needed until the window is painted,
// after it is mapped: the least a dialog can take.

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

int main(int argc, char** argv) {
  const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
  QApplication app(argc, argv);
  QDialog dialog;
  dialog.setWindowTitle(QStringLiteral("Floor"));
  auto* label = new QLabel(QStringLiteral("A dialog and nothing else."), &dialog);
  if (bare) {
    dialog.resize(460, 288);
    label->setGeometry(10, 10, 300, 20);
    auto* button = new QPushButton(QStringLiteral("Cancel"), &dialog);
    button->setGeometry(394, 258, 56, 20);
  } else {
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog));
  }
  dialog.show();
  return app.exec();
}
