#pragma once

#include "irc/irctransport.h"

#include <QByteArrayList>
#include <QElapsedTimer>

// A transport with no socket behind it: it keeps every line the client
// sends, exactly as the wire would carry it, and lets the test deliver the
// server's lines and open or end the connection.
class RecordingTransport : public IrcTransport
{
    Q_OBJECT

public:
    explicit RecordingTransport(QObject *parent = nullptr) : IrcTransport(parent) { m_clock.start(); }

    void open(const QHostAddress &address, quint16 port, bool tls, const QString &peerName) override;
    void send(const QByteArray &line) override;
    void close() override { m_closed = true; }

    // What the server says; each is delivered as one line.
    void deliver(const QByteArray &line) { emit received(line); }
    void accept() { emit opened(); }
    void drop(Reason reason = Reason::ConnectionClosed) { emit failed(reason, {}); }

    // Everything sent, with line ends, as it would reach the wire.
    const QByteArray &wire() const { return m_wire; }
    QByteArrayList lines() const;
    QByteArrayList lines(const QByteArray &command) const;
    // When each line of that command was sent, in milliseconds since the transport was made.
    QList<qint64> sendTimes(const QByteArray &command) const;
    bool isClosed() const { return m_closed; }

    QHostAddress openedAddress;
    quint16 openedPort = 0;
    bool openedTls = false;

private:
    QByteArray m_wire;
    QList<QPair<QByteArray, qint64>> m_sent;
    QElapsedTimer m_clock;
    bool m_closed = false;
};
