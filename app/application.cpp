#include "app/application.h"

#include "app/fonts.h"
#include "app/programend.h"
#include "app/runtimeerror.h"
#include "webview/webprofile.h"

#include <QIcon>

void Application::prepare()
{
    // The program keeps no files between runs, and that includes the shader
    // caches that Qt and Mesa would otherwise write under the user's home.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    // The web engine shares its OpenGL context with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    WebProfile::prepareEngine();
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Quorvane"));
    setApplicationVersion(QStringLiteral("2.03"));
    setOrganizationName(QStringLiteral("::[-:Telmik-Brasko:-]::"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/quorvane.png")));
    setDesktopFileName(QStringLiteral("quorvane"));
    Fonts::installSubstitutes();
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const RuntimeError &error) {
        RuntimeErrorReport::show(error);
    } catch (const std::exception &error) {
        RuntimeErrorReport::show(RuntimeError(51, QString::fromLocal8Bit(error.what())));
    }
    ProgramEnd::end();
    return true;
}
