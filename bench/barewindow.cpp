// The anchor of the benchmark's map time: the least a Qt Widgets program
// does to put a window on screen. One bare QWidget the size of the main
// window's client area, shown at once, made the way Qt's documentation makes
// one, with nothing else: no web view, no fonts or pictures of its own. The
// time from its start to its window mapped is what the main window's map
// time is held against.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quorvane bare window"));
    window.setFixedSize(307, 304);
    window.show();
    return app.exec();
}
