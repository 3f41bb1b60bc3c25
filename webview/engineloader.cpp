#include "webview/engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPluginLoader>

namespace {

// Where the engine module is looked for: beside the program (a build folder,
// Windows), then the library folder it is installed in.
QStringList moduleFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders = QCoreApplication::libraryPaths();
    folders.prepend(programFolder);
    folders.append(QDir(programFolder).filePath(QStringLiteral(QUORVANE_ENGINE_FOLDER_FROM_PROGRAM)));
    folders.removeDuplicates();
    return folders;
}

// Two lines the engine prints as it starts, which in this program say what
// is meant. As its library loads, it checks whether the application was made
// ready to share OpenGL contexts with it; with the first view it notes that
// it has no OpenGL to draw with. The program's views draw in software and
// need none, and preparing OpenGL would load a driver before the first window
// maps. Those two lines are dropped from the engine's start on; nothing else.
QtMessageHandler previousHandler = nullptr;

void dropStartLines(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool startLine = message.startsWith(QLatin1String("Qt WebEngine seems to be initialized from a plugin"))
                           || message.startsWith(QLatin1String("No suitable graphics backend found"));
    if (type == QtWarningMsg && startLine)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

Engine *load()
{
    previousHandler = qInstallMessageHandler(dropStartLines);
    QString errors;
    for (const QString &folder : moduleFolders()) {
        QPluginLoader loader(QDir(folder).filePath(QStringLiteral("quorvane_webengine")));
        QObject *module = loader.instance();
        if (auto *engine = qobject_cast<Engine *>(module))
            return engine;
        if (QFile::exists(loader.fileName()))
            errors += QLatin1String("\n  ") + loader.errorString();
    }
    qWarning("Quorvane: the web engine module quorvane_webengine could not be loaded;"
             " web views stay empty.%s",
             qPrintable(errors));
    return nullptr;
}

} // namespace

namespace Engines {

std::unique_ptr<EngineView> createView(QWidget *parent, EngineViewEvents events)
{
    static Engine *const engine = load();
    return engine ? engine->createView(parent, std::move(events)) : nullptr;
}

} // namespace Engines
