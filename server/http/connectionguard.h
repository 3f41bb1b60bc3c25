#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// The limits that keep slow, idle or greedy clients from holding the
// server: connections at once, in all and per client address; the time a
// client has to send a whole request (counted from the connection or the
// last answer, so it also ends idle keep-alive connections); the bytes a
// request may take, request line, headers and body together.
struct ConnectionLimits
{
    int maxConnections = 512;
    int maxPerAddress = 32;
    int requestMs = 10'000;
    int answerMs = 15'000;       // a request being handled, past the lookup bound
    qint64 maxRequestBytes = 1'114'112; // 100,000 characters, percent-encoded UTF-8, and headers
};

// Counts the open connections of every port the server listens on.
class ConnectionBook
{
public:
    explicit ConnectionBook(const ConnectionLimits &limits) : m_limits(limits) {}
    bool admit(const QHostAddress &client);
    void release(const QHostAddress &client);
    const ConnectionLimits &limits() const { return m_limits; }

private:
    ConnectionLimits m_limits;
    int m_open = 0;
    QHash<QHostAddress, int> m_perAddress;
};

// Watches one client connection for its whole life (it is the socket's
// child) and closes it when the client is too slow or sends too much.
class ConnectionGuard : public QObject
{
    Q_OBJECT

public:
    ConnectionGuard(QTcpSocket *socket, ConnectionBook &book);
    ~ConnectionGuard() override;

    // The guard of the socket's connection, if it has one.
    static ConnectionGuard *of(QTcpSocket *socket);

    // A whole request arrived; it is being answered.
    void requestArrived();
    // Its answer was written; the next request may come.
    void answered();

private:
    void onReadable();

    QTcpSocket *m_socket;
    ConnectionBook &m_book;
    QHostAddress m_client;
    qint64 m_requestBytes = 0;
    bool m_handling = false;
    QTimer m_deadline;
};
