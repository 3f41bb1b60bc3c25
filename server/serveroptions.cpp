#include "serveroptions.h"

#include "lookup/version.h"
#include "xmpp/jabberid.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>
#include <QSslCertificate>
#include <functional>
#include <utility>

namespace {

// A password line longer than this is not a password file.
constexpr qint64 maxPasswordLength = 1024;

std::optional<quint16> port(const QString &text)
{
    bool number = false;
    const uint value = text.toUInt(&number);
    if (!number || value > 65535)
        return std::nullopt;
    return quint16(value);
}

// One option with a value: how it is shown in the help, and how its value
// (each one, when it may be repeated) changes the options; an error in
// words, or nothing when the value is fine.
struct Rule
{
    QCommandLineOption option;
    std::function<QString(ServerOptions &, const QString &value)> apply;
};

QCommandLineOption valued(const char *name, const QString &help, const char *valueName)
{
    return QCommandLineOption(QString::fromLatin1(name), help, QString::fromLatin1(valueName));
}

QCommandLineOption valued(const char *name, const char *help, const char *valueName)
{
    return valued(name, QString::fromLatin1(help), valueName);
}

// A help text that ends in its default, read from the options a server
// starts with, so that the help never tells another number than the code.
QString withDefault(const char *help, const QString &value)
{
    return QString::fromLatin1(help).arg(value);
}

QString portsText(const QList<quint16> &ports)
{
    QStringList ranges;
    for (qsizetype i = 0; i < ports.size();) {
        qsizetype last = i;
        while (last + 1 < ports.size() && ports.at(last + 1) == ports.at(last) + 1)
            ++last;
        ranges.append(last == i ? QString::number(ports.at(i))
                                : QStringLiteral("%1-%2").arg(ports.at(i)).arg(ports.at(last)));
        i = last + 1;
    }
    return ranges.join(QLatin1Char(','));
}

QString setPort(quint16 &target, const QString &value, const char *name)
{
    const auto parsed = port(value);
    if (!parsed)
        return QStringLiteral("--%1 wants a port number").arg(QLatin1String(name));
    target = *parsed;
    return {};
}

// A count of at least 1 and at most a million.
QString setCount(int &target, const QString &value, const char *name)
{
    bool number = false;
    const int count = value.toInt(&number);
    if (!number || count < 1 || count > 1'000'000)
        return QStringLiteral("--%1 wants a number from 1 to 1000000").arg(QLatin1String(name));
    target = count;
    return {};
}

// A password file's first line; nothing when it cannot be read or is empty.
std::optional<QByteArray> passwordIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray password = file.readLine(maxPasswordLength).trimmed();
    return password.isEmpty() ? std::nullopt : std::optional(password);
}

// A password systemd handed over as a credential (LoadCredential=NAME:...),
// empty when there is none.
QByteArray credential(const QString &name)
{
    const QString credentials = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    return credentials.isEmpty() ? QByteArray() : passwordIn(credentials + QLatin1Char('/') + name).value_or(QByteArray());
}

// A store's password, when the command line gave none, is systemd's credential "redis-password".
void completeStore(std::optional<StoreAddress> &store)
{
    if (store && store->password.isEmpty())
        store->password = credential(QStringLiteral("redis-password"));
}

// Jabber wants its account's password, from a file or systemd's credential
// "xmpp-password"; an account needs one and the other options an account.
QString completeXmpp(XmppSettings &xmpp)
{
    if (xmpp.jid.isEmpty())
        return xmpp.password.isEmpty() && xmpp.caFile.isEmpty() && xmpp.host.isEmpty() && xmpp.port == 0
                   ? QString()
                   : QStringLiteral("the --xmpp options want --xmpp-jid");
    if (xmpp.password.isEmpty())
        xmpp.password = credential(QStringLiteral("xmpp-password"));
    return xmpp.password.isEmpty() ? QStringLiteral("--xmpp-jid wants --xmpp-password-file (or the credential xmpp-password)")
                                   : QString();
}

QList<Rule> rules()
{
    const ServerOptions defaults;
    QStringList listening;
    for (const QHostAddress &address : defaults.listen)
        listening.append(address.toString());
    return {
        {valued("listen", withDefault("Address to listen on (default %1); repeatable, IPv4 or IPv6.", listening.join(QLatin1Char(','))), "ADDRESS"),
         // The first address named replaces the default.
         [listening = false](ServerOptions &options, const QString &value) mutable {
             QHostAddress address;
             if (!address.setAddress(value))
                 return QStringLiteral("--listen wants an IP address, not %1").arg(value);
             if (!std::exchange(listening, true))
                 options.listen.clear();
             if (!options.listen.contains(address))
                 options.listen.append(address);
             return QString();
         }},
        {valued("status-port", withDefault("Port of the status addresses and pages (default %1).", QString::number(defaults.statusPort)), "PORT"),
         [](ServerOptions &options, const QString &value) { return setPort(options.statusPort, value, "status-port"); }},
        {valued("web-port", withDefault("Port of the pages (default %1).", QString::number(defaults.webPort)), "PORT"),
         [](ServerOptions &options, const QString &value) { return setPort(options.webPort, value, "web-port"); }},
        {valued("allow-network", "Let IRC lookups reach this otherwise refused network, e.g. 127.0.0.0/8; repeatable.",
                "CIDR"),
         [](ServerOptions &options, const QString &value) {
             return options.policy.allow(value)
                        ? QString()
                        : QStringLiteral("--allow-network wants a network such as 127.0.0.0/8, not %1").arg(value);
         }},
        {valued("irc-ports", withDefault("Ports an IRC identity may name (default %1).", portsText(defaults.irc.allowedPorts)), "LIST"),
         [](ServerOptions &options, const QString &value) {
             const auto ports = ServerOptions::portList(value);
             if (!ports)
                 return QStringLiteral("--irc-ports wants ports such as 6665-6669,6697");
             options.irc.allowedPorts = *ports;
             return QString();
         }},
        {valued("irc-ca", "Also trust this CA certificate (PEM) for IRC over TLS.", "FILE"),
         [](ServerOptions &options, const QString &value) {
             options.irc.extraCertificates = QSslCertificate::fromPath(value, QSsl::Pem);
             return options.irc.extraCertificates.isEmpty() ? QStringLiteral("no PEM certificate in %1").arg(value)
                                                            : QString();
         }},
        {valued("trusted-proxy", "Believe X-Forwarded-For and Forwarded from this network (a load balancer); repeatable.",
                "CIDR"),
         [](ServerOptions &options, const QString &value) {
             return options.trustedProxies.add(value) ? QString() : QStringLiteral("--trusted-proxy wants a network, not %1").arg(value);
         }},
        {valued("metrics-allow", "Let this network read /metrics besides this machine; repeatable.", "CIDR"),
         [](ServerOptions &options, const QString &value) {
             return options.metricsAllowed.add(value) ? QString() : QStringLiteral("--metrics-allow wants a network, not %1").arg(value);
         }},
        {valued("irc-networks", withDefault("IRC networks connected at once (default %1).", QString::number(defaults.irc.maxNetworks)), "N"),
         [](ServerOptions &options, const QString &value) { return setCount(options.irc.maxNetworks, value, "irc-networks"); }},
        {valued("irc-new-per-client", withDefault("IRC networks one client (its /24 or /56) may have opening at once, "
                                                  "not yet welcomed (default %1).", QString::number(defaults.irc.newNetworksPerClient)), "N"),
         [](ServerOptions &options, const QString &value) {
             return setCount(options.irc.newNetworksPerClient, value, "irc-new-per-client");
         }},
        {valued("max-connections", withDefault("Connections at once, in all (default %1).", QString::number(defaults.limits.maxConnections)), "N"),
         [](ServerOptions &options, const QString &value) { return setCount(options.limits.maxConnections, value, "max-connections"); }},
        {valued("max-per-client", withDefault("Connections of one client address at once, or behind a trusted proxy its "
                                              "requests at once (default %1).", QString::number(defaults.limits.maxPerClient)), "N"),
         [](ServerOptions &options, const QString &value) { return setCount(options.limits.maxPerClient, value, "max-per-client"); }},
        {valued("redis", "Share presence and the IRC connections with the other instances of a cluster through "
                         "this store: redis://host:port/db or unix:/path.", "URL"),
         [](ServerOptions &options, const QString &value) {
             QString why;
             options.store = StoreAddress::parse(value, &why);
             return options.store ? QString() : QStringLiteral("--redis: %1").arg(why);
         }},
        {valued("redis-password-file", "The store's password: the first line of this file (default: the systemd "
                                       "credential redis-password).", "FILE"),
         [](ServerOptions &options, const QString &value) {
             if (!options.store)
                 return QStringLiteral("--redis-password-file goes with --redis");
             const auto password = passwordIn(value);
             options.store->password = password.value_or(QByteArray());
             return password ? QString() : QStringLiteral("no password in %1").arg(value);
         }},
        {valued("instance", "This instance's name in a cluster (default: host name and status port).", "NAME"),
         [](ServerOptions &options, const QString &value) {
             if (value.isEmpty() || value.size() > 64 || value.contains(QRegularExpression(QStringLiteral("[^A-Za-z0-9._:-]"))))
                 return QStringLiteral("--instance wants up to 64 letters, digits and . _ : -");
             options.instance = value;
             return QString();
         }},
        {valued("xmpp-jid", "Answer Jabber lookups through this account of the server's own, which people add "
                            "as a contact to show their status.", "JID"),
         [](ServerOptions &options, const QString &value) {
             const auto id = JabberId::parse(value);
             if (!id)
                 return QStringLiteral("--xmpp-jid wants an address such as quorvane@example.org, not %1").arg(value);
             options.xmpp.jid = id->bare();
             return QString();
         }},
        {valued("xmpp-password-file", "The Jabber account's password: the first line of this file (default: the "
                                      "systemd credential xmpp-password).", "PATH"),
         [](ServerOptions &options, const QString &value) {
             const auto password = passwordIn(value);
             if (!password)
                 return QStringLiteral("no password in %1").arg(value);
             options.xmpp.password = *password;
             return QString();
         }},
        {valued("xmpp-ca", "Also trust this CA certificate (PEM) for the Jabber account's server.", "FILE"),
         [](ServerOptions &options, const QString &value) {
             if (QSslCertificate::fromPath(value, QSsl::Pem).isEmpty())
                 return QStringLiteral("no PEM certificate in %1").arg(value);
             options.xmpp.caFile = value;
             return QString();
         }},
        {valued("xmpp-host", "Reach the Jabber account's server at this host instead of its domain's.", "HOST"),
         [](ServerOptions &options, const QString &value) {
             options.xmpp.host = value;
             return value.isEmpty() ? QStringLiteral("--xmpp-host wants a host") : QString();
         }},
        {valued("xmpp-port", "Reach the Jabber account's server on this port.", "PORT"),
         [](ServerOptions &options, const QString &value) {
             const QString error = setPort(options.xmpp.port, value, "xmpp-port");
             return error.isEmpty() && options.xmpp.port == 0 ? QStringLiteral("--xmpp-port wants a port number") : error;
         }},
        {valued("xmpp-max-contacts", withDefault("People who may add the Jabber account (default %1).", QString::number(defaults.xmpp.maxContacts)), "N"),
         [](ServerOptions &options, const QString &value) { return setCount(options.xmpp.maxContacts, value, "xmpp-max-contacts"); }},
        {valued("xmpp-domain-per-minute",
                QStringLiteral("Requests to add the Jabber account accepted from one domain in a minute (default %1 "
                               "of the %2).").arg(defaults.xmpp.domainPerMinute).arg(XmppSettings::subscriptionsPerMinute),
                "N"),
         [](ServerOptions &options, const QString &value) { return setCount(options.xmpp.domainPerMinute, value, "xmpp-domain-per-minute"); }},
        {valued("xmpp-domain-max-contacts",
                QStringLiteral("Jabber contacts of one domain (default a %1th of --xmpp-max-contacts, at least %2).")
                    .arg(XmppSettings::domainContactsDivisor).arg(XmppSettings::minDomainContacts),
                "N"),
         [](ServerOptions &options, const QString &value) { return setCount(options.xmpp.domainMaxContacts, value, "xmpp-domain-max-contacts"); }},
        {valued("xmpp-forget-after-days",
                QStringLiteral("Let a Jabber contact go who was neither seen online nor asked for in this many days "
                               "(default %1, 0: never; in a cluster never unless given).")
                    .arg(defaults.xmpp.forgetAfterMs / XmppSettings::dayMs),
                "DAYS"),
         [](ServerOptions &options, const QString &value) {
             bool number = false;
             const double days = value.toDouble(&number); // a fraction of a day, for tests
             if (!number || !(days >= 0 && days <= 36'500))
                 return QStringLiteral("--xmpp-forget-after-days wants 0 to 36500");
             options.xmpp.forgetAfterMs = qint64(days * double(XmppSettings::dayMs));
             return QString();
         }},
        {valued("cache-seconds", withDefault("How long an IRC answer is reused (default %1; 0: never).", QString::number(defaults.irc.cacheMs / 1000)), "N"),
         [](ServerOptions &options, const QString &value) {
             bool number = false;
             const int seconds = value.toInt(&number);
             if (!number || seconds < 0 || seconds > 86400)
                 return QStringLiteral("--cache-seconds wants 0 to 86400");
             options.irc.cacheMs = seconds * 1000;
             return QString();
         }},
    };
}

ParsedOptions failure(const QString &why)
{
    return {std::nullopt, 2, QStringLiteral("quorvane-server: %1 (see --help)\n").arg(why), true};
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

ParsedOptions ServerOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The Quorvane status server: answers http://HOST:6969/<medium>/<account> with a status\n"
        "picture (?format=png, or no format from a picture's element or a script), as a page\n"
        "for a browser that opens the address, as a badge (?format=svg, with ?theme=light or\n"
        "dark) or a shields endpoint (?format=shields), as text (?format=text) or JSON\n"
        "(?format=json); ?set=1 to 4 picks an icon set. It checks IRC nicks and Jabber contacts\n"
        "live, and serves the program's pages and the badge page (/Msntv/badge.html)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption logLookups(QStringLiteral("log-lookups"),
                                        QStringLiteral("Log each lookup with its account (off by default)."));
    QList<Rule> table = rules();
    parser.addOptions({help, version, logLookups});
    for (const Rule &rule : table)
        parser.addOption(rule.option);

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    if (parser.isSet(help))
        return {std::nullopt, 0, parser.helpText(), false};
    if (parser.isSet(version))
        return {std::nullopt, 0, QStringLiteral("quorvane-server %1\n").arg(QLatin1String(Version::text)), false};
    if (!parser.positionalArguments().isEmpty())
        return failure(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    ServerOptions options;
    for (Rule &rule : table)
        for (const QString &value : parser.values(rule.option))
            if (const QString error = rule.apply(options, value); !error.isEmpty())
                return failure(error);
    completeStore(options.store);
    // An instance of a cluster sees only the lookups it answers itself, so
    // it cannot tell that nobody asked for a contact.
    if (options.store && !parser.isSet(QStringLiteral("xmpp-forget-after-days")))
        options.xmpp.forgetAfterMs = 0;
    if (!options.instance.isEmpty())
        options.xmpp.resource = QStringLiteral("quorvane-server-") + options.instance;
    if (const QString error = completeXmpp(options.xmpp); !error.isEmpty())
        return failure(error);
    options.logLookups = parser.isSet(logLookups);
    return {options, 0, {}, false};
}
