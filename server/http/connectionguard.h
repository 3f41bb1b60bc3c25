#pragma once

#include <QByteArray>
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
    // 100,000 characters of the Basic Multilingual Plane, percent-encoded UTF-8 (900,000 bytes), and
    // headers; a request line of 1 MiB is past it.
    qint64 maxRequestBytes = 1'048'576;
    int maxHeaders = 100;
};

// Reads the head of each request as it arrives, byte by byte, and says as
// soon as it cannot be HTTP/1.x: a request line of a method, a target of
// visible ASCII and the version, then header lines "name: value" without
// control characters, up to an empty line. Bodies (a request that names a
// length or an encoding) are not read; the next head is read after them.
class RequestHeadCheck
{
public:
    enum class Verdict { Fine, Malformed, TooManyHeaders };
    explicit RequestHeadCheck(int maxHeaders) : m_maxHeaders(maxHeaders) {}
    Verdict feed(const QByteArray &bytes);
    // The request was answered: what comes next is a new head.
    void restart();

private:
    enum class State { Method, Target, Version, LineEnd, HeaderStart, Name, Value, ValueEnd, HeadEnd, Body };
    Verdict step(char c);

    int m_maxHeaders;
    State m_state = State::Method;
    int m_length = 0;
    int m_headers = 0;
    QByteArray m_word; // the version, or a header name (short ones only)
    bool m_hasBody = false;
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
    void refuse(const QByteArray &status);

    qint64 m_requestBytes = 0;
    RequestHeadCheck m_head;
    bool m_refused = false;
    bool m_handling = false;
    QTimer m_deadline;
};
