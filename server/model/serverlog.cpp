#include "model/serverlog.h"

#include <cstdio>

void ServerLog::line(const QString &text)
{
    // One line per event: a stranger's text cannot start a line of its own.
    QString single = text;
    single.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    std::fprintf(stderr, "quorvane-server: %s\n", single.toUtf8().constData());
    std::fflush(stderr);
}
