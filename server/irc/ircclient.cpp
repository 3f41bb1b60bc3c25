#include "irc/ircclient.h"

#include "irc/floodbudget.h"
#include "irc/ircmessage.h"
#include "irc/irctransport.h"
#include "lookup/version.h"

#include <QRandomGenerator>
#include <QSet>

IrcClient::IrcClient(IrcTransport *transport, IsonQueue &queue, FloodBudget &budget,
                     const IrcSettings &settings, QObject *parent)
    : QObject(parent), m_transport(transport), m_queue(queue), m_budget(budget), m_settings(settings)
{
    m_clock.start();
    for (QTimer *timer : {&m_paceTimer, &m_registerTimer, &m_silenceTimer, &m_replyTimer})
        timer->setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, &IrcClient::pump);
    connect(&m_registerTimer, &QTimer::timeout, this, [this] { fail(Reason::NoRegistrationInTime); });
    connect(&m_silenceTimer, &QTimer::timeout, this, &IrcClient::onSilence);
    connect(&m_replyTimer, &QTimer::timeout, this, [this] { fail(Reason::NoAnswerInTime); });
    connect(m_transport, &IrcTransport::received, this, &IrcClient::onLine);
    connect(m_transport, &IrcTransport::failed, this, &IrcClient::fail);
}

QByteArray IrcClient::generatedNick()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray nick = "qv";
    while (nick.size() < 9)
        nick += letters[QRandomGenerator::global()->bounded(int(sizeof(letters) - 1))];
    return nick;
}

QByteArray IrcClient::realName()
{
    return QByteArray(Version::product) + " status server: checks whether nicks are online, joins no channel";
}

void IrcClient::begin()
{
    m_nick = generatedNick();
    m_registerTimer.start(m_settings.registerTimeoutMs);
    m_silenceTimer.start(m_settings.silenceMs);
    sendPaced("NICK " + m_nick);
    sendPaced(*IrcLine::compose("USER", {"quorvane", "0", "*"}, realName()));
}

void IrcClient::quit(const QByteArray &message)
{
    if (m_done)
        return;
    m_done = true;
    if (const auto line = IrcLine::compose("QUIT", {}, message))
        sendNow(*line);
    m_transport->close();
}

void IrcClient::onLine(const QByteArray &line)
{
    if (m_done)
        return;
    m_pinged = false;
    m_silenceTimer.start(m_settings.silenceMs);
    const auto message = IrcMessage::parse(line);
    if (!message)
        return; // blank or garbage: not a command, nothing to do
    const QByteArray &command = message->command;
    if (command == "PING") {
        if (const auto pong = IrcLine::compose("PONG", {}, message->param(0)))
            sendNow(*pong);
    } else if (command == "001") {
        onWelcome(*message);
    } else if (command == "005") {
        onIsupport(*message);
    } else if (command == "376" || command == "422") { // end of the message of the day, or none
        becomeReady();
    } else if (command == "303") {
        onIson(*message);
    } else if (!m_registered && (command == "432" || command == "433" || command == "436" || command == "437")) {
        onNickRefused();
    } else if (command == "421" && message->param(1).toUpper() == "ISON") {
        fail(Reason::IsonNotAnswered);
    } else if (command == "ERROR") {
        fail(Reason::ClosedByServer, QString::fromUtf8(message->param(0).left(200)));
    }
}

void IrcClient::onWelcome(const IrcMessage &message)
{
    m_registered = true;
    if (!message.param(0).isEmpty())
        m_nick = message.param(0);
    // Some networks send no end of the welcome; do not wait for it for ever.
    QTimer::singleShot(m_settings.welcomeEndMs, this, &IrcClient::becomeReady);
}

void IrcClient::onIsupport(const IrcMessage &message)
{
    for (const QByteArray &token : message.params)
        if (token.toUpper().startsWith("CASEMAPPING="))
            m_caseMapping = CaseMapping::fromName(token.mid(int(sizeof("CASEMAPPING=") - 1)));
}

void IrcClient::becomeReady()
{
    if (m_ready || !m_registered || m_done)
        return;
    m_ready = true;
    m_registerTimer.stop();
    emit ready();
    pump();
}

void IrcClient::onIson(const IrcMessage &message)
{
    // "303 <own nick> :<nicks online>"; a reply without its two parameters is garbage, not an answer.
    if (!m_queue.inFlight() || message.params.size() < 2)
        return;
    m_replyTimer.stop();
    QSet<QByteArray> online;
    for (const QByteArray &nick : message.params.value(message.params.size() - 1).split(' '))
        if (!nick.isEmpty())
            online.insert(m_caseMapping.fold(nick));
    QList<IsonQueue::Entry> on, off;
    for (const IsonQueue::Entry &entry : m_queue.finishLine())
        (online.contains(m_caseMapping.fold(entry.nick)) ? on : off).append(entry);
    emit answered(on, off);
    pump();
}

void IrcClient::onNickRefused()
{
    if (++m_nickAttempts > 5)
        return fail(Reason::NoNickAccepted);
    m_nick = generatedNick();
    sendPaced("NICK " + m_nick);
}

void IrcClient::pump()
{
    if (m_done)
        return;
    const qint64 now = m_clock.elapsed();
    while (!m_outbox.isEmpty() && m_budget.take(now))
        sendNow(m_outbox.takeFirst());
    if (m_outbox.isEmpty() && m_ready && !m_queue.inFlight() && m_queue.hasWaiting() && m_budget.take(now)) {
        sendNow(m_queue.takeLine());
        m_replyTimer.start(m_settings.lookupBoundMs);
    }
    const bool more = !m_outbox.isEmpty() || (m_ready && !m_queue.inFlight() && m_queue.hasWaiting());
    if (more && !m_paceTimer.isActive())
        m_paceTimer.start(int(std::max<qint64>(1, m_budget.wait(m_clock.elapsed()))));
}

void IrcClient::sendNow(const QByteArray &line)
{
    m_transport->send(line);
}

void IrcClient::sendPaced(const QByteArray &line)
{
    m_outbox.append(line);
    pump();
}

void IrcClient::onSilence()
{
    if (m_pinged)
        return fail(Reason::ServerWentSilent);
    m_pinged = true;
    sendNow("PING :" + m_nick);
    m_silenceTimer.start(m_settings.pingTimeoutMs);
}

void IrcClient::fail(Reason reason, const QString &detail)
{
    if (m_done)
        return;
    m_done = true;
    for (QTimer *timer : {&m_paceTimer, &m_registerTimer, &m_silenceTimer, &m_replyTimer})
        timer->stop();
    m_transport->close();
    emit lost(reason, detail);
}
