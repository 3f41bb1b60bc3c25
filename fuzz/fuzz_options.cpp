// The server's command line: the input's lines are its arguments. Options
// that name files read them from a temporary folder only: the options are
// read there (libFuzzer's own paths are relative to where it started, so
// only for that moment), and every argument is made relative (no leading
// "/", none after "=", no ".."), so nothing outside it is ever opened.
// systemd's credentials folder is that folder too.
#include "serveroptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir *dir = [] {
        auto *made = new QTemporaryDir;
        qputenv("CREDENTIALS_DIRECTORY", made->path().toUtf8());
        for (const char *name : {"password", "redis-password", "xmpp-password"}) {
            QFile file(made->filePath(QString::fromLatin1(name)));
            if (file.open(QIODevice::WriteOnly))
                file.write("secret\n");
        }
        return made;
    }();
    return *dir;
}

QString inside(QString argument)
{
    argument.replace(QLatin1String(".."), QLatin1String("._"));
    argument.replace(QLatin1String("=/"), QLatin1String("=_"));
    while (argument.startsWith(QLatin1Char('/')))
        argument[0] = QLatin1Char('_');
    return argument;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString started = QDir::currentPath();
    QDir::setCurrent(folder().path());
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList arguments{QStringLiteral("quorvane-server")};
    for (const QByteArray &line : bytes.split('\n'))
        arguments.append(inside(QString::fromUtf8(line)));
    const ParsedOptions parsed = ServerOptions::parse(arguments);
    QDir::setCurrent(started);
    if (parsed.options && parsed.isError)
        abort(); // options to run with, or an error, never both
    if (parsed.isError && (parsed.output.isEmpty() || parsed.exitCode == 0))
        abort(); // an error says why and ends the program with a failure
    return 0;
}
