// The floor of the benchmark: one bare window holding one web view that loads
// the main window's start page, and nothing else. Whatever Quorvane costs
// beyond this is the program's own.
//
// The Qt start-up settings are Quorvane's (see Application::prepare), the
// software drawing of web views included, so that only the program's
// features make the difference. How Quorvane's views share renderer
// processes is one of those features, and the floor has one view only.

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
