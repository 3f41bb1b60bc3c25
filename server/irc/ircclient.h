#pragma once

#include "irc/casemapping.h"
#include "irc/ircsettings.h"
#include "irc/isonqueue.h"
#include "model/reason.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class FloodBudget;
class IrcMessage;
class IrcTransport;

// One registered connection to an IRC network, driven by the lines its
// transport delivers. It registers with a generated nick and a real name
// that says what it is, answers PING, joins no channel and says nothing;
// once the welcome is over it asks ISON for the queue's nicks, one line in
// flight, within the flood budget, and reports each nick's presence as the
// 303 reply gives it, compared with the network's case mapping.
class IrcClient : public QObject
{
    Q_OBJECT

public:
    IrcClient(IrcTransport *transport, IsonQueue &queue, FloodBudget &budget,
              const IrcSettings &settings, QObject *parent = nullptr);

    // Registers; call once the transport is open.
    void begin();
    // Asks the queue's nicks as soon as the network and the budget allow.
    void pump();
    // Says goodbye with QUIT and closes the transport.
    void quit(const QByteArray &message);

    bool isReady() const { return m_ready; }
    const CaseMapping &caseMapping() const { return m_caseMapping; }
    QByteArray nick() const { return m_nick; }

    // Nicks the client may register as: 9 characters, which every network allows.
    static QByteArray generatedNick();
    static QByteArray realName();

signals:
    void ready();
    void answered(const QList<IsonQueue::Entry> &online, const QList<IsonQueue::Entry> &offline);
    // The connection is of no further use, for the reason given; its
    // transport is closed and the nicks still queued are the caller's to answer.
    void lost(Reason reason, const QString &detail);

private:
    void onLine(const QByteArray &line);
    void onWelcome(const IrcMessage &message);
    void onIsupport(const IrcMessage &message);
    void onIson(const IrcMessage &message);
    void onNickRefused();
    void becomeReady();
    void sendNow(const QByteArray &line);
    void sendPaced(const QByteArray &line);
    void onSilence();
    void fail(Reason reason, const QString &detail = {});

    IrcTransport *m_transport;
    IsonQueue &m_queue;
    FloodBudget &m_budget;
    const IrcSettings &m_settings;
    CaseMapping m_caseMapping;
    QByteArray m_nick;
    int m_nickAttempts = 0;
    bool m_registered = false;
    bool m_ready = false;
    bool m_pinged = false;
    bool m_done = false;
    QList<QByteArray> m_outbox;  // lines waiting for the flood budget
    QElapsedTimer m_clock;
    QTimer m_paceTimer;     // when the budget allows the next line
    QTimer m_registerTimer; // the welcome must be over by then
    QTimer m_silenceTimer;  // nothing heard for a while: PING, then give up
    QTimer m_replyTimer;    // the ISON line in flight must be answered by then
};
