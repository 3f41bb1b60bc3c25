#pragma once

#include "irc/casemapping.h"
#include "irc/ircsettings.h"
#include "irc/isonqueue.h"
#include "irc/userhostqueue.h"
#include "model/presence.h"
#include "model/reason.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <limits>

class FloodBudget;
class MonitorList;
struct IrcMessage;
class IrcTransport;

// One registered connection to an IRC network, driven by the lines its
// transport delivers. It registers with a generated nick and a real name
// that says what it is, answers PING, joins no channel and says nothing;
// once the welcome is over it asks ISON for the queue's nicks, one line in
// flight, within the flood budget, and reports each nick's presence as the
// 303 reply gives it, compared with the network's case mapping. A nick found
// online is then asked whether it is away (USERHOST, five a line) when the
// budget can afford it within the lookup's bound, and reads online else.
// Where the network offers MONITOR it keeps the monitor list's nicks there,
// with lines the lookups can spare, and passes on what the network tells of
// them; where it also offers extended-monitor and away-notify (asked for
// with CAP at registration), their away changes come without a line.
class IrcClient : public QObject
{
    Q_OBJECT

public:
    // What the network said of nicks: answers to lines, and changes it
    // pushed of monitored ones. A nick heard online whose away state could
    // not be asked in time has awayKnown false.
    struct Heard
    {
        QByteArray key;
        Presence::Status status;
        bool awayKnown = true;
    };

    IrcClient(IrcTransport *transport, IsonQueue &queue, MonitorList &monitor, FloodBudget &budget,
              const IrcSettings &settings, QObject *parent = nullptr);

    // Registers; call once the transport is open.
    void begin();
    // Asks the queue's nicks as soon as the network and the budget allow.
    void pump();
    // Says goodbye with QUIT and closes the transport.
    void quit(const QByteArray &message);
    // Asks whether a nick the network said is online is away, if the
    // budget allows before the time given (else it is heard online).
    void askAway(const QByteArray &key, const QByteArray &nick, qint64 dueMs);
    // Nobody waits for the nick any more: it is not asked about.
    void forget(const QByteArray &key) { m_userhost.remove(key); }

    bool isReady() const { return m_ready; }
    const CaseMapping &caseMapping() const { return m_caseMapping; }
    QByteArray nick() const { return m_nick; }

    // Nicks the client may register as: 9 characters, which every network allows.
    static QByteArray generatedNick();
    static QByteArray realName();

signals:
    void ready();
    // A line went to the network, with its command ("ISON", "MONITOR", "PONG").
    void sent(const QByteArray &command);
    // What the network said of nicks (answers, and what it pushed).
    void heard(const QList<IrcClient::Heard> &heard);
    // The connection is of no further use, for the reason given; its
    // transport is closed and the nicks still queued are the caller's to answer.
    void lost(Reason reason, const QString &detail);

private:
    void onLine(const QByteArray &line);
    void onWelcome(const IrcMessage &message);
    void onIsupport(const IrcMessage &message);
    void onCap(const IrcMessage &message);
    void onIson(const IrcMessage &message);
    void onUserhost(const IrcMessage &message);
    void onAway(const IrcMessage &message);
    void onMonitor(const IrcMessage &message, bool online);
    void onMonitorFull(const IrcMessage &message);
    bool sendOneLine(qint64 now);
    void onNickRefused();
    void becomeReady();
    void sendNow(const QByteArray &line);
    bool lineIsDue(qint64 now) const;
    void sendIsonLine();
    void sendUserhostLine();
    // The nicks of the USERHOST line in flight, and those past their time,
    // read online without their away state.
    void answerOnline(const QList<UserhostQueue::Entry> &entries);
    qint64 nextUserhostMs(qint64 now) const;
    // How long a nick may wait for a fuller line: its line must still leave
    // early enough for the answer to come within the bound.
    qint64 dueAfterMs() const { return m_settings.lookupBoundMs - m_settings.sendMarginMs; }
    void onSilence();
    void fail(Reason reason, const QString &detail = {});

    IrcTransport *m_transport;
    IsonQueue &m_queue;
    UserhostQueue m_userhost;
    MonitorList &m_monitor;
    FloodBudget &m_budget;
    const IrcSettings &m_settings;
    CaseMapping m_caseMapping;
    QByteArray m_nick;
    int m_nickAttempts = 0;
    bool m_registered = false;
    bool m_ready = false;
    bool m_pinged = false;
    bool m_done = false;
    bool m_userhostRefused = false; // the network does not know USERHOST
    QByteArrayList m_offered;       // the capabilities of a CAP LS that goes on
    qint64 m_lastIsonAt = std::numeric_limits<qint64>::min() / 2; // when the last ISON line went out
    qint64 m_userhostAt = 0; // when the USERHOST line in flight went out
    QTimer m_paceTimer;     // when the budget allows the next line
    QTimer m_registerTimer; // the welcome must be over by then
    QTimer m_silenceTimer;  // nothing heard for a while: PING, then give up
    QTimer m_replyTimer;    // the ISON line in flight must be answered by then
    QTimer m_userhostTimer; // the USERHOST line in flight, else its nicks read online
};
