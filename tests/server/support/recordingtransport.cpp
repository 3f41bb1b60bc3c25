#include "recordingtransport.h"

#include "irc/ircmessage.h"

void RecordingTransport::open(const QHostAddress &address, quint16 port, bool tls, const QString &)
{
    openedAddress = address;
    openedPort = port;
    openedTls = tls;
}

void RecordingTransport::send(const QByteArray &line)
{
    // The same rule as the socket transport, so the test sees what a socket would.
    if (!IrcLine::isSafe(line))
        return;
    m_wire += line + "\r\n";
    m_sent.append({line, m_clock.elapsed()});
}

QByteArrayList RecordingTransport::lines() const
{
    QByteArrayList all = m_wire.split('\n');
    all.removeLast();
    for (QByteArray &line : all)
        line.chop(1);
    return all;
}

QByteArrayList RecordingTransport::lines(const QByteArray &command) const
{
    QByteArrayList found;
    for (const QByteArray &line : lines())
        if (line.startsWith(command + ' '))
            found.append(line);
    return found;
}

QList<qint64> RecordingTransport::sendTimes(const QByteArray &command) const
{
    QList<qint64> times;
    for (const auto &[line, at] : m_sent)
        if (line.startsWith(command + ' '))
            times.append(at);
    return times;
}
