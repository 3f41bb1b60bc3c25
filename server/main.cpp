// quorvane-server: the author group's status server. Everything lives in
// quorvane_server_core; this only reads the options and runs the loop.
#include "model/serverlog.h"
#include "serveroptions.h"
#include "socketactivation.h"
#include "statusserver.h"
#include "termination.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    // Qt's own event loop rather than GLib's, unless the operator chose
    // (QT_NO_GLIB set empty brings GLib's back): under GLib's every answer
    // cost two more system calls (5.5 rather than 3.25 a request, counted
    // with strace: its loop wakes itself through an eventfd for each posted
    // event). Read by the application object, so set before it.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const ParsedOptions parsed = ServerOptions::parse(app.arguments());
    if (!parsed.options) {
        std::fputs(qPrintable(parsed.output), parsed.isError ? stderr : stdout);
        return parsed.exitCode;
    }

    Termination termination;
    QObject::connect(&termination, &Termination::requested, &app, [](const QString &signalName) {
        ServerLog::line(QStringLiteral("stopping on %1").arg(signalName));
        QCoreApplication::quit();
    });
    StatusServer server(*parsed.options);
    if (!server.start(SocketActivation::take())) {
        ServerLog::line(QStringLiteral("no port to serve, stopping"));
        return 1;
    }
    return app.exec();
}
