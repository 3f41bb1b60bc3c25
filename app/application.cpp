#include "app/application.h"

#include "app/programend.h"
#include "lookup/runtimeerror.h"
#include "lookup/version.h"
#include "windows/fonts.h"
#include "windows/pictures.h"

#include <utility>

void Application::prepare()
{
    // The program keeps no files between runs, and that includes the shader
    // caches that Qt and Mesa would otherwise write under the user's home.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(Version::product));
    setApplicationVersion(QString::fromLatin1(Version::file));
    setOrganizationName(QString::fromLatin1(Version::company));
    setDesktopFileName(QStringLiteral("quorvane"));
    Fonts::installSubstitutes();
    RuntimeErrors::setHandler(&ProgramEnd::afterError);
}

void Application::showIcon()
{
    static bool shown = false;
    if (!std::exchange(shown, true))
        setWindowIcon(Pictures::icon(QStringLiteral("quorvane")));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    // The last net: handlers that can fail raise their errors themselves
    // (RuntimeErrors::guard) before they reach Qt's dispatch.
    bool handled = true;
    RuntimeErrors::guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
