#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>
#include <memory>

class ConnectionBook;
class QHostAddress;
struct MHD_Connection;
struct MHD_Response;

// An answer made for the wire: status, headers (every answer's own among
// them) and body, made once and sent any number of times from any thread.
// The door writes the status line (the one table of them is the HTTP
// layer's), the length, and "Connection: close" where the connection ends;
// for HEAD and 304 it sends no body. A 304 is made with the body of the 200
// it stands for: its length is that body's, as HTTP asks, or none.
class ReadyAnswer
{
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    // closes: the connection ends once this is sent (a refusal).
    ReadyAnswer(int status, const Headers &headers, const QByteArray &body, bool closes = false);
    ~ReadyAnswer();
    ReadyAnswer(const ReadyAnswer &) = delete;
    ReadyAnswer &operator=(const ReadyAnswer &) = delete;

    int status() const { return m_status; }
    MHD_Response *response() const { return m_response; }

private:
    int m_status;
    MHD_Response *m_response; // counted by the library: it lives while a connection sends it
};
using SharedAnswer = std::shared_ptr<const ReadyAnswer>;

// Where the answer of one request goes once it is made, on whichever
// thread makes it: the door waits for it with the connection suspended, and
// takes it up again when it comes. An answer made after the request ended
// (the client went, the server stops) goes nowhere.
class PendingAnswer
{
public:
    explicit PendingAnswer(MHD_Connection *connection) : m_connection(connection) {}

    // The first answer counts; later ones are dropped.
    void deliver(const SharedAnswer &answer);
    // The door's side: the answer, if made; else it suspends the connection
    // until deliver() resumes it (true).
    SharedAnswer take();
    bool suspendUnlessAnswered();
    // The request is over: nothing more reaches its connection.
    void end();

private:
    QMutex m_lock;
    MHD_Connection *m_connection;
    bool m_suspended = false;
    bool m_over = false;
    SharedAnswer m_answer;
};

// The answer to one request, sent once, in one piece. A HEAD request gets
// the same status and headers, its body's length among them, and no body
// (the door sees to that).
// The answer may be sent later (a lookup that waits for a network); by then
// the client may be gone, and nothing is sent.
class HttpAnswer
{
public:
    using Headers = ReadyAnswer::Headers;

    explicit HttpAnswer(std::shared_ptr<PendingAnswer> pending) : m_pending(std::move(pending)) {}

    void send(int status, const Headers &headers, const QByteArray &body) const;
    // An answer made already (a picture's, kept).
    void sendReady(const SharedAnswer &answer) const;
    // Counts the request for its client in the book until it is answered
    // (and every copy of this answer is gone); false when the client has
    // as many in hand as it may.
    bool holdFor(ConnectionBook &book, const QHostAddress &client);
    // A short text, e.g. why a request is refused.
    void text(int status, const QByteArray &words, const Headers &extra = {}) const;

    // The same, made for the wire: the refusals of the door, kept answers.
    static SharedAnswer textAnswer(int status, const QByteArray &words, const Headers &extra = {}, bool closes = false);

private:
    std::shared_ptr<PendingAnswer> m_pending;
    std::shared_ptr<void> m_held; // the client's place in the book, given back with the last copy
};
