// The floor for any program on this stack: a Qt GUI application on the
// offscreen platform that starts and ends without doing anything else.

#include <QGuiApplication>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  return 0;
}
