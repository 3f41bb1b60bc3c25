#pragma once

#include "irc/irctransport.h"

#include <QList>
#include <QSslCertificate>

class QSslSocket;

// The transport over a TCP socket, with TLS when asked. Lines longer than
// any server may send end the connection, so a stranger's server cannot
// make this one buffer without end.
class SocketTransport : public IrcTransport
{
    Q_OBJECT

public:
    explicit SocketTransport(const QList<QSslCertificate> &extraCertificates, QObject *parent = nullptr);

    void open(const QHostAddress &address, quint16 port, bool tls, const QString &peerName) override;
    void send(const QByteArray &line) override;
    void close() override;

    // IRCv3 allows 8191 bytes of tags before the 512 of the message itself.
    static inline constexpr int maxLineLength = 8191 + 512;
    // What may wait to be sent before the server is taken for one that reads
    // nothing: far more than the few paced lines and PONGs of a healthy one.
    static inline constexpr qint64 maxUnsentBytes = 256 * 1024;
    // How long a closed connection may take to send what was queued (a QUIT).
    static inline constexpr int closeLingerMs = 5'000;

private:
    void onReadable();
    void onError();
    void fail(Reason reason, const QString &detail = {});

    QList<QSslCertificate> m_extraCertificates;
    QSslSocket *m_socket = nullptr;
    QByteArray m_buffer;
};
