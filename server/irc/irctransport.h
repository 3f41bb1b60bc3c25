#pragma once

#include "model/reason.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

// The line connection to one IRC server, as the client sees it. The seam
// between the protocol and the socket: tests drive the client through a
// transport of their own and read every line it would have sent.
class IrcTransport : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Connects to the address, with TLS verified against the peer name when asked.
    virtual void open(const QHostAddress &address, quint16 port, bool tls, const QString &peerName) = 0;
    // Sends one line, adding CR LF; a line holding CR, LF or NUL is dropped.
    virtual void send(const QByteArray &line) = 0;
    // Sends what is queued, then closes; no signal follows.
    virtual void close() = 0;

signals:
    void opened();
    void received(const QByteArray &line); // without its line end
    // Could not connect, or the connection ended; the detail is for the log.
    void failed(Reason reason, const QString &detail);
};
