#include "irc/ircclient.h"

#include "irc/floodbudget.h"
#include "irc/ircmessage.h"
#include "irc/irctransport.h"
#include "irc/monitorlist.h"
#include "model/clock.h"
#include "lookup/version.h"

#include <QRandomGenerator>
#include <QSet>

IrcClient::IrcClient(IrcTransport *transport, IsonQueue &queue, MonitorList &monitor, FloodBudget &budget,
                     const IrcSettings &settings, QObject *parent)
    : QObject(parent), m_transport(transport), m_queue(queue), m_monitor(monitor), m_budget(budget), m_settings(settings)
{
    for (QTimer *timer : {&m_paceTimer, &m_registerTimer, &m_silenceTimer, &m_replyTimer, &m_userhostTimer})
        timer->setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, &IrcClient::pump);
    connect(&m_registerTimer, &QTimer::timeout, this, [this] { fail(Reason::NoRegistrationInTime); });
    connect(&m_silenceTimer, &QTimer::timeout, this, &IrcClient::onSilence);
    connect(&m_replyTimer, &QTimer::timeout, this, [this] { fail(Reason::NoAnswerInTime); });
    connect(&m_userhostTimer, &QTimer::timeout, this, [this] {
        answerOnline(m_userhost.finishLine());
        pump();
    });
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
    // The registration is outside the budget, which is for the lines that
    // lookups make: networks let a newcomer's first lines through. CAP LS
    // first: a network that knows it waits for CAP END before it welcomes,
    // one that does not answers it unknown and welcomes all the same.
    sendNow("CAP LS 302");
    sendNow("NICK " + m_nick);
    sendNow(*IrcLine::compose("USER", {"quorvane", "0", "*"}, realName()));
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
    } else if (command == "CAP") {
        onCap(*message);
    } else if (command == "303") {
        onIson(*message);
    } else if (command == "302") {
        onUserhost(*message);
    } else if (command == "AWAY") {
        onAway(*message);
    } else if (command == "730" || command == "731") {
        onMonitor(*message, command == "730");
    } else if (command == "734") {
        onMonitorFull(*message);
    } else if (!m_registered && (command == "432" || command == "433" || command == "436" || command == "437")) {
        onNickRefused();
    } else if (command == "421" && message->param(1).toUpper() == "ISON") {
        fail(Reason::IsonNotAnswered);
    } else if (command == "421" && message->param(1).toUpper() == "USERHOST") {
        m_userhostRefused = true;
        answerOnline(m_userhost.takeAll());
    } else if (command == "ERROR") {
        fail(Reason::ClosedByServer, QString::fromUtf8(message->param(0).left(200)));
    }
}

// "CAP * LS [*] :caps", "CAP nick ACK :caps", "CAP nick NAK :caps". Only
// what lets the network push away changes is asked for, and only both
// together: away-notify alone tells of people in shared channels, of whom
// this client has none.
void IrcClient::onCap(const IrcMessage &message)
{
    if (m_registered)
        return;
    const QByteArray sub = message.param(1).toUpper();
    const QByteArray wanted = "extended-monitor away-notify";
    if (sub == "LS") {
        const bool more = message.params.size() > 3 && message.param(2) == "*";
        // The values ("sasl=PLAIN") do not matter here; a list is bounded by the line.
        for (const QByteArray &cap : message.params.constLast().split(' '))
            if (m_offered.size() < 64 && !cap.isEmpty())
                m_offered.append((cap.contains('=') ? cap.left(cap.indexOf('=')) : cap).toLower());
        if (more)
            return;
        const bool offered = m_offered.contains("extended-monitor") && m_offered.contains("away-notify");
        m_offered.clear();
        sendNow(offered ? "CAP REQ :" + wanted : QByteArray("CAP END"));
    } else if (sub == "ACK" || sub == "NAK") {
        const QByteArrayList acked = message.params.constLast().toLower().split(' ');
        m_monitor.setAwayPushed(sub == "ACK" && acked.contains("extended-monitor") && acked.contains("away-notify"));
        sendNow("CAP END");
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
    // The last parameter is the text after the tokens.
    for (const QByteArray &token : message.params.mid(1, message.params.size() - 2)) {
        const qsizetype equals = token.indexOf('=');
        const QByteArray name = (equals < 0 ? token : token.left(equals)).toUpper();
        const QByteArray value = equals < 0 ? QByteArray() : token.mid(equals + 1);
        if (name == "CASEMAPPING")
            m_caseMapping = CaseMapping::fromName(value);
        else if (name == "MONITOR") // without a limit: as many as this server keeps
            m_monitor.setNetworkLimit(value.isEmpty() ? MonitorList::maxMonitored + 100 : value.toInt());
    }
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
    const qint64 now = steadyMs();
    m_budget.answeredAfter(now - m_lastIsonAt);
    QList<Heard> said;
    for (const IsonQueue::Entry &entry : m_queue.finishLine()) {
        if (!online.contains(m_caseMapping.fold(entry.nick)))
            said.append({entry.key, Presence::Offline});
        else if (const auto pushed = m_monitor.state(entry.key))
            said.append({entry.key, *pushed});
        else if (!m_userhostRefused && now + m_budget.wait(now) < entry.since + dueAfterMs())
            m_userhost.add(entry.key, entry.nick, entry.since + dueAfterMs());
        else
            said.append({entry.key, Presence::Online, false});
    }
    if (!said.isEmpty())
        emit heard(said);
    pump();
}

void IrcClient::askAway(const QByteArray &key, const QByteArray &nick, qint64 dueMs)
{
    if (m_userhostRefused)
        return answerOnline({{key, nick, dueMs}});
    m_userhost.add(key, nick, dueMs);
    pump();
}

// "302 <own nick> :nick=+user@host nick*=-user@host ...": "*" marks an
// operator, "-" someone away. A nick asked and not in the reply is not on
// the network any more; one in it that was not asked is nobody's business.
void IrcClient::onUserhost(const IrcMessage &message)
{
    if (!m_userhost.inFlight() || message.params.size() < 2)
        return;
    m_userhostTimer.stop();
    m_budget.answeredAfter(steadyMs() - m_userhostAt);
    // By nick: away, here, or named without a mark that says (nullopt).
    QHash<QByteArray, std::optional<bool>> away;
    for (const QByteArray &reply : message.params.constLast().split(' ')) {
        const qsizetype equals = reply.indexOf('=');
        if (equals <= 0)
            continue; // names nobody
        const QByteArray nick = reply.left(reply.at(equals - 1) == '*' ? equals - 1 : equals);
        const char mark = equals + 1 < reply.size() ? reply.at(equals + 1) : '\0';
        away.insert(m_caseMapping.fold(nick), mark == '+' || mark == '-' ? std::optional(mark == '-') : std::nullopt);
    }
    QList<Heard> said;
    for (const UserhostQueue::Entry &entry : m_userhost.finishLine()) {
        const auto found = away.constFind(entry.key);
        if (found == away.cend())
            said.append({entry.key, Presence::Offline});
        else if (!found->has_value())
            said.append({entry.key, Presence::Online, false}); // online, as the network said before
        else if (m_monitor.toldAway(entry.key, **found), **found)
            said.append({entry.key, Presence::Away});
        else
            said.append({entry.key, Presence::Online});
    }
    emit heard(said);
    pump();
}

// ":nick!user@host AWAY :text" (gone) or ":nick!user@host AWAY" (back), of
// a monitored nick where the network pushes away changes. The text is the
// nick's own and is not kept.
void IrcClient::onAway(const IrcMessage &message)
{
    const qsizetype mask = message.prefix.indexOf('!');
    const QByteArray key = m_caseMapping.fold(mask < 0 ? message.prefix : message.prefix.left(mask));
    const bool away = !message.param(0).isEmpty();
    if (!key.isEmpty() && m_monitor.toldAway(key, away))
        emit heard({{key, away ? Presence::Away : Presence::Online}});
}

void IrcClient::answerOnline(const QList<UserhostQueue::Entry> &entries)
{
    QList<Heard> said;
    for (const UserhostQueue::Entry &entry : entries)
        said.append({entry.key, Presence::Online, false});
    if (!said.isEmpty())
        emit heard(said);
}

// "730 <own nick> :nick!user@host,..." (online) or "731 <own nick> :nick,..."
// (offline). Someone who comes online is not yet known to be here or away.
void IrcClient::onMonitor(const IrcMessage &message, bool online)
{
    QList<Heard> said;
    for (const QByteArray &target : message.params.value(message.params.size() - 1).split(',')) {
        const qsizetype mask = target.indexOf('!');
        const QByteArray nick = (mask < 0 ? target : target.left(mask)).trimmed();
        if (!nick.isEmpty() && m_monitor.told(m_caseMapping.fold(nick), online))
            said.append({m_caseMapping.fold(nick), online ? Presence::Online : Presence::Offline, !online});
    }
    if (!said.isEmpty())
        emit heard(said);
}

// "734 <own nick> <limit> <targets> :Monitor list is full."
void IrcClient::onMonitorFull(const IrcMessage &message)
{
    QList<QByteArray> keys;
    for (const QByteArray &nick : message.param(2).split(','))
        keys.append(m_caseMapping.fold(nick));
    m_monitor.refused(keys);
}

void IrcClient::onNickRefused()
{
    if (++m_nickAttempts > 5)
        return fail(Reason::NoNickAccepted);
    m_nick = generatedNick();
    sendNow("NICK " + m_nick);
}

void IrcClient::pump()
{
    if (m_done)
        return;
    if (!m_ready)
        return;
    const qint64 now = steadyMs();
    answerOnline(m_userhost.takeDue(now));
    while (sendOneLine(now)) {
    }
    // When to look again: an ISON line waits until the budget allows a line,
    // and one that is not full until it is whole again or its oldest nick is
    // due; a MONITOR line until the budget can spare one.
    qint64 next = -1;
    if (!m_queue.inFlight() && m_queue.hasWaiting()) {
        const qint64 quiet = std::max(m_lastIsonAt + m_settings.floodIntervalMs, m_queue.oldestSince() + m_settings.gatherMs);
        const qint64 due = std::min(quiet, m_queue.oldestSince() + dueAfterMs()) - now;
        next = m_queue.lineIsFull() ? m_budget.wait(now) : std::max(m_budget.wait(now), due);
    }
    for (const qint64 wait : {nextUserhostMs(now), m_monitor.hasChanges() ? m_budget.untilLines(now, 2) : -1})
        if (wait >= 0)
            next = next < 0 ? wait : std::min(next, wait);
    if (next >= 0 && (!m_paceTimer.isActive() || m_paceTimer.remainingTime() > next))
        m_paceTimer.start(int(std::max<qint64>(1, next)));
}

// When to look at the USERHOST line again: when the budget allows it, or
// when the first waiting nick's time passes; -1 when nothing waits for it.
qint64 IrcClient::nextUserhostMs(qint64 now) const
{
    if (!m_userhost.hasWaiting())
        return -1;
    const qint64 due = std::max<qint64>(0, m_userhost.earliestDueMs() - now);
    return m_userhost.inFlight() ? due : std::min(due, m_budget.wait(now));
}

// Lookups first (their ISON lines, then those waiting for their away
// state); a change of the monitor list only with a line to spare, so that it
// never takes the last line of the budget from a lookup.
bool IrcClient::sendOneLine(qint64 now)
{
    if (!m_queue.inFlight() && m_queue.hasWaiting() && lineIsDue(now) && m_budget.take(now)) {
        sendIsonLine();
        return true;
    }
    // Away states wait for the lookups' ISON lines: on a network that
    // charges a penalty for each line, one in front would delay them all.
    if (!m_queue.inFlight() && !m_queue.hasWaiting() && !m_userhost.inFlight() && m_userhost.hasWaiting()
        && m_budget.take(now)) {
        sendUserhostLine();
        return true;
    }
    if (m_monitor.hasChanges() && m_budget.linesWithin(now, 0) >= 2 && m_budget.take(now)) {
        sendNow(m_monitor.takeLine());
        return true;
    }
    return false;
}

// Lines are packed: while lookups keep the network asked (a line went out
// less than an interval ago), a line that is not full waits for more nicks,
// until an interval has passed or its oldest nick would miss the bound. A
// lone nick on a quiet network goes at once, after the few milliseconds in
// which lookups that arrive together (a burst of requests read over several
// turns of the event loop) join it rather than wait for the next line.
bool IrcClient::lineIsDue(qint64 now) const
{
    const qint64 waited = now - m_queue.oldestSince();
    return m_queue.lineIsFull() || (now - m_lastIsonAt >= m_settings.floodIntervalMs && waited >= m_settings.gatherMs)
           || waited >= dueAfterMs();
}

void IrcClient::sendIsonLine()
{
    m_lastIsonAt = steadyMs();
    sendNow(m_queue.takeLine());
    m_replyTimer.start(m_settings.lookupBoundMs);
}

void IrcClient::sendUserhostLine()
{
    m_userhostAt = steadyMs();
    sendNow(m_userhost.takeLine());
    m_userhostTimer.start(m_settings.lookupBoundMs);
}

void IrcClient::sendNow(const QByteArray &line)
{
    m_transport->send(line);
    emit sent(line.left(line.indexOf(' ')));
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
    for (QTimer *timer : {&m_paceTimer, &m_registerTimer, &m_silenceTimer, &m_replyTimer, &m_userhostTimer})
        timer->stop();
    m_transport->close();
    // The network said these are online before it was lost.
    answerOnline(m_userhost.takeAll());
    emit lost(reason, detail);
}
