#include "irc/sockettransport.h"

#include "irc/ircmessage.h"

#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

SocketTransport::SocketTransport(const QList<QSslCertificate> &extraCertificates, QObject *parent)
    : IrcTransport(parent), m_extraCertificates(extraCertificates)
{
}

void SocketTransport::open(const QHostAddress &address, quint16 port, bool tls, const QString &peerName)
{
    m_socket = new QSslSocket(this);
    connect(m_socket, &QSslSocket::readyRead, this, &SocketTransport::onReadable);
    connect(m_socket, &QSslSocket::errorOccurred, this, &SocketTransport::onError);
    connect(m_socket, &QSslSocket::disconnected, this, [this] { fail(Reason::ConnectionClosed); });
    if (!tls) {
        connect(m_socket, &QSslSocket::connected, this, &SocketTransport::opened);
        m_socket->connectToHost(address, port);
        return;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(m_extraCertificates);
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    m_socket->setSslConfiguration(configuration);
    // Certificate errors are never ignored: they end the attempt.
    connect(m_socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
        fail(Reason::TlsNotTrusted, errors.value(0).errorString());
    });
    connect(m_socket, &QSslSocket::encrypted, this, &SocketTransport::opened);
    // The address is connected to as resolved; the name only checks the certificate.
    m_socket->connectToHostEncrypted(address.toString(), port, peerName);
}

void SocketTransport::send(const QByteArray &line)
{
    if (!m_socket || !IrcLine::isSafe(line))
        return;
    // A server that makes us answer (PINGs) but reads nothing of it would
    // have the answers pile up here without end. A healthy one never lets
    // this much wait: the connection ends, after this call has returned.
    if (m_socket->bytesToWrite() > maxUnsentBytes) {
        QMetaObject::invokeMethod(
            this,
            [this, socket = QPointer<QSslSocket>(m_socket)] {
                if (socket && socket == m_socket)
                    fail(Reason::ServerReadsNothing);
            },
            Qt::QueuedConnection);
        return;
    }
    m_socket->write(line + "\r\n");
}

void SocketTransport::close()
{
    if (!m_socket)
        return;
    // The socket outlives this transport until what is queued (a QUIT) is out.
    QSslSocket *socket = std::exchange(m_socket, nullptr);
    socket->disconnect(this);
    socket->setParent(nullptr);
    QTimer::singleShot(closeLingerMs, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
    else
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
}

void SocketTransport::onReadable()
{
    m_buffer += m_socket->readAll();
    qsizetype end;
    while (m_socket && (end = m_buffer.indexOf('\n')) >= 0) {
        QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        emit received(line);
    }
    if (m_buffer.size() > maxLineLength)
        fail(Reason::LineTooLong);
}

void SocketTransport::onError()
{
    switch (m_socket->error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return fail(Reason::ConnectionRefused);
    case QAbstractSocket::RemoteHostClosedError:
        return fail(Reason::ConnectionClosed);
    case QAbstractSocket::SslHandshakeFailedError:
        return fail(Reason::TlsHandshakeFailed, m_socket->errorString());
    default:
        return fail(Reason::ConnectionFailed, m_socket->errorString());
    }
}

void SocketTransport::fail(Reason reason, const QString &detail)
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
    m_buffer.clear();
    emit failed(reason, detail);
}
