#include "connectionguard.h"

#include <QTcpSocket>

bool ConnectionBook::admit(const QHostAddress &client)
{
    if (m_open >= m_limits.maxConnections || m_perAddress.value(client) >= m_limits.maxPerAddress)
        return false;
    ++m_open;
    ++m_perAddress[client];
    return true;
}

void ConnectionBook::release(const QHostAddress &client)
{
    --m_open;
    if (--m_perAddress[client] <= 0)
        m_perAddress.remove(client);
}

ConnectionGuard::ConnectionGuard(QTcpSocket *socket, ConnectionBook &book)
    : QObject(socket), m_socket(socket), m_book(book), m_client(socket->peerAddress())
{
    setObjectName(QStringLiteral("connectionguard"));
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_socket->abort();
        m_socket->deleteLater();
    });
    m_deadline.start(m_book.limits().requestMs);
    // Connected before the HTTP server's own handler, so this sees each
    // piece of a request before the server reads it.
    connect(socket, &QTcpSocket::readyRead, this, &ConnectionGuard::onReadable);
}

ConnectionGuard::~ConnectionGuard()
{
    m_book.release(m_client);
}

ConnectionGuard *ConnectionGuard::of(QTcpSocket *socket)
{
    return socket ? socket->findChild<ConnectionGuard *>(QStringLiteral("connectionguard"), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void ConnectionGuard::onReadable()
{
    if (m_handling)
        return;
    m_requestBytes += m_socket->bytesAvailable();
    if (m_requestBytes <= m_book.limits().maxRequestBytes)
        return;
    // Too big to be any address the program composes: a fixed refusal, and
    // the connection ends before the HTTP server reads more of it.
    QObject::disconnect(m_socket, &QTcpSocket::readyRead, nullptr, nullptr);
    m_socket->write("HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\n"
                    "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n");
    m_socket->disconnectFromHost();
    m_deadline.start(1'000);
}

void ConnectionGuard::requestArrived()
{
    m_handling = true;
    m_deadline.start(m_book.limits().answerMs);
}

void ConnectionGuard::answered()
{
    m_handling = false;
    m_requestBytes = 0;
    m_deadline.start(m_book.limits().requestMs);
}
