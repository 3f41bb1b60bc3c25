#include "xmpp/xmpptrouble.h"

#include <QHash>

#include <cerrno>
#include <cstring>

namespace XmppTrouble {

namespace {

// What the server's text adds, shown after the words, short and on one line.
QString withText(const QString &words, const QString &text)
{
    const QString said = text.simplified().left(120);
    return said.isEmpty() ? words : words + QStringLiteral(" (the server said: ") + said + QLatin1Char(')');
}

} // namespace

QString ofStreamError(const QString &condition, const QString &text)
{
    static const QHash<QString, QString> words{
        {QStringLiteral("system-shutdown"), QStringLiteral("the XMPP server is shutting down")},
        {QStringLiteral("host-unknown"), QStringLiteral("the XMPP server does not serve the account's domain")},
        {QStringLiteral("host-gone"), QStringLiteral("the XMPP server no longer serves the account's domain")},
        {QStringLiteral("not-authorized"), QStringLiteral("the XMPP server refused the login")},
        {QStringLiteral("conflict"), QStringLiteral("another login of the account took its place")},
        {QStringLiteral("connection-timeout"), QStringLiteral("the XMPP server ended a silent connection")},
        {QStringLiteral("policy-violation"), QStringLiteral("the XMPP server ended the connection by its policy")},
        {QStringLiteral("resource-constraint"), QStringLiteral("the XMPP server has no room for another connection")},
        {QStringLiteral("see-other-host"), QStringLiteral("the XMPP server sends the account to another host")},
        {QStringLiteral("remote-connection-failed"), QStringLiteral("the XMPP server could not reach the account's domain")},
        {QStringLiteral("internal-server-error"), QStringLiteral("the XMPP server had an internal error")},
    };
    const QString known = words.value(condition);
    return withText(known.isEmpty() ? QStringLiteral("the XMPP server ended the stream (%1)")
                                          .arg(condition.isEmpty() ? QStringLiteral("no reason given") : condition)
                                    : known,
                    text);
}

QString ofConnection(const QString &line, int systemError)
{
    const QString lower = line.toLower();
    if (lower.contains(QLatin1String("certfail")) || lower.contains(QLatin1String("certificate")))
        return QStringLiteral("the XMPP server's certificate is not trusted");
    // After every mechanism the server offered failed: libstrophe's words for a wrong password.
    if (lower.contains(QLatin1String("auth failed")) || lower.contains(QLatin1String("authentication failed"))
        || lower.contains(QLatin1String("cannot authenticate")))
        return QStringLiteral("the password was refused");
    if (lower.contains(QLatin1String("tls")))
        return QStringLiteral("no TLS with the XMPP server");
    if (lower.contains(QLatin1String("no login in time")))
        return QStringLiteral("no login within the time allowed");
    if (lower.contains(QLatin1String("roster was refused")))
        return QStringLiteral("the XMPP server refused the account's roster");
    switch (systemError) {
    case 0: break;
    case ECONNREFUSED: return QStringLiteral("the XMPP server refused the connection");
    case ETIMEDOUT: return QStringLiteral("the XMPP server did not answer in time");
    case EHOSTUNREACH:
    case ENETUNREACH: return QStringLiteral("the XMPP server's host cannot be reached");
    default: return QStringLiteral("the connection failed: ") + QString::fromLocal8Bit(std::strerror(systemError));
    }
    if (lower.contains(QLatin1String("resolv")) || lower.contains(QLatin1String("dns")))
        return QStringLiteral("the XMPP server's host name is unknown");
    return line.isEmpty() ? QStringLiteral("the connection closed") : QStringLiteral("the connection failed: ") + line.left(120);
}

} // namespace XmppTrouble
