#pragma once

#include "irc/ircmessage.h"
#include "model/presence.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <optional>

// The nicks this server keeps under IRCv3 MONITOR on one network, for the
// networks that offer it (MONITOR=<limit> in their ISUPPORT). The network
// then tells of every change of their state (730 online, 731 offline), so
// lookups of them are answered at once, always fresh, without a line.
//
// The nicks asked most keep their places: a nick asked a second time while
// it is remembered is put under MONITOR; when the list is at its limit (the
// network's, less a margin) the monitored nick asked least recently makes
// room. Keys are nicks as the network compares them.
//
// Where the network also pushes away changes (IRCv3 extended-monitor with
// away-notify), a monitored nick's away state is kept too: the network
// sends AWAY when it changes, though not the state it had when it was put
// under MONITOR or came online, which one USERHOST answer gives.
class MonitorList
{
public:
    // Nicks remembered as asked once, waiting for a second ask.
    static inline constexpr int maxRemembered = 4096;
    // The most this server keeps under MONITOR on one network, whatever it offers.
    static inline constexpr int maxMonitored = 1000;

    // The network's limit, from its ISUPPORT; 0 when it has no MONITOR.
    void setNetworkLimit(int limit);
    bool available() const { return m_limit > 0; }
    int limit() const { return m_limit; }
    int size() const { return int(m_monitored.size()); }

    // A lookup of the nick.
    void asked(const QByteArray &key, const QByteArray &nick);
    // What the network last told of a monitored nick (online, away or
    // offline), if it has told all of it.
    std::optional<Presence::Status> state(const QByteArray &key) const;
    // Whether the network told that the monitored nick is online but not
    // yet whether she is away.
    bool awayUnknown(const QByteArray &key) const;
    // The network told: online (730) or offline (731). False when the nick
    // is not monitored.
    bool told(const QByteArray &key, bool online);
    // The network pushes away changes of monitored nicks.
    void setAwayPushed(bool pushed) { m_awayPushed = pushed; }
    bool awayPushed() const { return m_awayPushed; }
    // Whether an online monitored nick is away, as the network pushed it
    // (AWAY) or a USERHOST reply said; false when the nick is not
    // monitored, not online, or the network does not push away changes.
    bool toldAway(const QByteArray &key, bool away);
    // The network refused more (734): it holds no more than it has.
    void refused(const QList<QByteArray> &keys);

    bool hasChanges() const { return !m_toRemove.isEmpty() || !m_toAdd.isEmpty(); }
    // The next MONITOR line: removals first, then additions, as many
    // targets as fit the line. Empty when nothing changes.
    QByteArray takeLine();

    // The connection is gone: nothing is monitored any more.
    void clear();

private:
    struct Watched
    {
        QByteArray nick;
        quint64 lastAsked = 0; // the number of the ask, in the order they came
        std::optional<bool> online;
        std::optional<bool> away; // known only while online, where the network pushes it
    };
    void makeRoom();

    int m_limit = 0;
    bool m_awayPushed = false;
    QHash<QByteArray, Watched> m_monitored;
    QHash<QByteArray, QByteArray> m_toAdd;    // key -> nick, not yet sent
    QHash<QByteArray, QByteArray> m_toRemove; // key -> nick, not yet sent
    QHash<QByteArray, QByteArray> m_askedOnce;
    quint64 m_asks = 0;
};
