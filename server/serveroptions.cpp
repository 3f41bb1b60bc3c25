#include "serveroptions.h"

#include "lookup/version.h"

#include <QCommandLineParser>
#include <QFile>
#include <QSslCertificate>
#include <cstdio>

namespace {

std::optional<quint16> port(const QString &text)
{
    bool number = false;
    const uint value = text.toUInt(&number);
    if (!number || value > 65535)
        return std::nullopt;
    return quint16(value);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "quorvane-server: %s (see --help)\n", qPrintable(message));
    return 2;
}

} // namespace

std::optional<QList<quint16>> ServerOptions::portList(const QString &text)
{
    QList<quint16> ports;
    for (const QString &item : text.split(QLatin1Char(','))) {
        const QStringList range = item.trimmed().split(QLatin1Char('-'));
        const auto first = port(range.value(0)), last = port(range.value(range.size() - 1));
        if (range.size() > 2 || !first || !last || *first == 0 || *first > *last)
            return std::nullopt;
        for (uint value = *first; value <= *last; ++value)
            ports.append(quint16(value));
    }
    return ports;
}

std::optional<ServerOptions> ServerOptions::parse(const QStringList &arguments, int &exitCode)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The Quorvane status server: answers http://HOST:6969/<medium>/<account> with a status\n"
        "picture (or ?format=text, ?format=json), checks IRC nicks live, and serves the program's pages."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption listen(QStringLiteral("listen"), QStringLiteral("Address to listen on (default 127.0.0.1)."),
                                    QStringLiteral("ADDRESS"));
    const QCommandLineOption statusPort(QStringLiteral("status-port"),
                                        QStringLiteral("Port of the status addresses and pages (default 6969)."),
                                        QStringLiteral("PORT"));
    const QCommandLineOption webPort(QStringLiteral("web-port"), QStringLiteral("Port of the pages (default 80)."),
                                     QStringLiteral("PORT"));
    const QCommandLineOption allow(QStringLiteral("allow-network"),
                                   QStringLiteral("Let IRC lookups reach this otherwise refused network, e.g. "
                                                  "127.0.0.0/8; repeatable."),
                                   QStringLiteral("CIDR"));
    const QCommandLineOption ircPorts(QStringLiteral("irc-ports"),
                                      QStringLiteral("Ports an IRC identity may name (default 6665-6669,6697,7000)."),
                                      QStringLiteral("LIST"));
    const QCommandLineOption ircCa(QStringLiteral("irc-ca"),
                                   QStringLiteral("Also trust this CA certificate (PEM) for IRC over TLS."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption cache(QStringLiteral("cache-seconds"),
                                   QStringLiteral("How long an IRC answer is reused (default 60; 0: never)."),
                                   QStringLiteral("N"));
    const QCommandLineOption logLookups(QStringLiteral("log-lookups"),
                                        QStringLiteral("Log each lookup with its account (off by default)."));
    parser.addOptions({help, version, listen, statusPort, webPort, allow, ircPorts, ircCa, cache, logLookups});
    if (!parser.parse(arguments)) {
        exitCode = fail(parser.errorText());
        return std::nullopt;
    }
    exitCode = 0;
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        std::printf("quorvane-server %s\n", Version::text);
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        exitCode = fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
        return std::nullopt;
    }

    ServerOptions options;
    if (parser.isSet(listen) && !options.listen.setAddress(parser.value(listen))) {
        exitCode = fail(QStringLiteral("--listen wants an IP address, not %1").arg(parser.value(listen)));
        return std::nullopt;
    }
    for (const auto &[option, target] : {std::pair(&statusPort, &options.statusPort), std::pair(&webPort, &options.webPort)}) {
        if (!parser.isSet(*option))
            continue;
        const auto value = port(parser.value(*option));
        if (!value) {
            exitCode = fail(QStringLiteral("--%1 wants a port number").arg(option->names().first()));
            return std::nullopt;
        }
        *target = *value;
    }
    for (const QString &cidr : parser.values(allow))
        if (!options.policy.allow(cidr)) {
            exitCode = fail(QStringLiteral("--allow-network wants a network such as 127.0.0.0/8, not %1").arg(cidr));
            return std::nullopt;
        }
    if (parser.isSet(ircPorts)) {
        const auto ports = portList(parser.value(ircPorts));
        if (!ports) {
            exitCode = fail(QStringLiteral("--irc-ports wants ports such as 6665-6669,6697"));
            return std::nullopt;
        }
        options.irc.allowedPorts = *ports;
    }
    if (parser.isSet(ircCa)) {
        options.irc.extraCertificates = QSslCertificate::fromPath(parser.value(ircCa), QSsl::Pem);
        if (options.irc.extraCertificates.isEmpty()) {
            exitCode = fail(QStringLiteral("no PEM certificate in %1").arg(parser.value(ircCa)));
            return std::nullopt;
        }
    }
    if (parser.isSet(cache)) {
        bool number = false;
        const int seconds = parser.value(cache).toInt(&number);
        if (!number || seconds < 0 || seconds > 86400) {
            exitCode = fail(QStringLiteral("--cache-seconds wants 0 to 86400"));
            return std::nullopt;
        }
        options.irc.cacheMs = seconds * 1000;
    }
    options.logLookups = parser.isSet(logLookups);
    return options;
}
