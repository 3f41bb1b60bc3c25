// The floor of the benchmark: one bare window holding one web view that loads
// the main window's start page, and nothing else. Whatever Quorvane costs
// beyond this is the program's own.
//
// It is made the way Qt's documentation makes such a program: the context
// sharing Qt WebEngine asks for set before the application object, the view
// made before its window is shown. Its web view draws in software, as
// Quorvane's do. Everything else Quorvane does about its start (the engine
// loaded once the window is on screen, no OpenGL driver at all, one renderer
// for all views) is the program's own, and the floor has none of it.

#include <QApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QUrl>
#include <QWebEngineView>
#include <QWidget>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);

    QApplication app(argc, argv);
    int result = 0;
    {
        // The client area and the view's place are the main window's:
        // 307 x 304 pixels, the view 177 x 81 at (120, 152).
        QWidget window;
        window.setWindowTitle(QStringLiteral("Quorvane floor"));
        window.setFixedSize(307, 304);

        auto *view = new QWebEngineView(&window);
        view->setGeometry(120, 152, 177, 81);
        view->load(QUrl(QStringLiteral("http://telmik-brasko.example/Msntv/msnexe6.html")));

        window.show();
        result = app.exec();

        // The view, and its page with it, go before the window and the
        // application object.
        delete view;
    }
    return result;
}
