#pragma once

#include "statusanswer.h"

#include <QList>
#include <QStringList>
#include <functional>

class IrcPresence;
class ServerStats;

// Answers a status address for each medium. MSN Messenger, AIM, Yahoo! and
// ICQ have closed: their accounts read unknown at once, with no connection
// anywhere. IRC identities are checked live by the IRC side, once they
// pass its rules.
class StatusLookup
{
public:
    using Done = std::function<void(const StatusAnswer &)>;

        // With logLookups each answer is logged with its account; without, never.
    StatusLookup(IrcPresence &irc, const QList<quint16> &ircPorts, ServerStats &stats, bool logLookups = false);

    static const QStringList &media();
    static bool isMedium(const QString &medium) { return media().contains(medium); }

    // Calls done exactly once, at once or when the IRC side answers.
    void lookup(const QString &medium, const QString &account, const Done &done);

private:
    IrcPresence &m_irc;
    QList<quint16> m_ircPorts;
    ServerStats &m_stats;
    bool m_logLookups;
};
