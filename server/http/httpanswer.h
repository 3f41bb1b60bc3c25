#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QPointer>
#include <memory>

class ConnectionBook;
class ConnectionGuard;
class QHostAddress;
class QTcpSocket;

// The answer to one request, sent once, in one piece: status line, headers
// and body composed into one buffer and handed to the connection's guard,
// which writes the answers of a connection in the order of its requests. A
// HEAD request gets the same status and headers, its body's length among
// them, and no body. The answer may be sent later (a lookup that waits for
// a network); by then the client may be gone, and nothing is sent.
class HttpAnswer
{
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    HttpAnswer(QTcpSocket *socket, bool head);

    void send(int status, const Headers &headers, const QByteArray &body) const;
    // An answer composed already (a GET's, with its body).
    void sendComposed(const QByteArray &whole) const;
    bool isHead() const { return m_head; }
    // Counts the request for its client in the book until it is answered
    // (and every copy of this answer is gone); false when the client has
    // as many in hand as it may.
    bool holdFor(ConnectionBook &book, const QHostAddress &client);
    // A short text, e.g. why a request is refused.
    void text(int status, const QByteArray &words, const Headers &extra = {}) const;

    // The whole answer as written on the wire.
    static QByteArray compose(int status, const Headers &headers, const QByteArray &body, bool head);

    // Every answer carries this.
    static const QByteArray noSniff;

private:
    QPointer<QTcpSocket> m_socket;
    QPointer<ConnectionGuard> m_guard;
    quint64 m_place = 0;
    bool m_head;
    std::shared_ptr<void> m_held; // the client's place in the book, given back with the last copy
};
