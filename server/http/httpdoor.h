#pragma once

#include "http/httpanswer.h"
#include "http/httprequest.h"

#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QWaitCondition>

class ConnectionBook;
class ConnectionWatch;
struct MHD_Connection;
struct MHD_Daemon;

// What answers the requests that come through a door.
class HttpHandler
{
public:
    virtual ~HttpHandler() = default;
    // On one of the door's threads: answers what needs nothing but what
    // every thread may read, and says so; else the request goes to answer(),
    // with what this noted in it.
    virtual bool answerAtOnce(HttpRequest &request, const HttpAnswer &answer) = 0;
    // In the server's event loop.
    virtual void answer(const HttpRequest &request, const HttpAnswer &answer) = 0;
};

// The HTTP/1.1 side of one listening socket: libmicrohttpd reads the
// requests on a thread per core, each head is judged by the
// RequestHeadCheck where the library is more lenient than the protocol, the
// connection book admits each connection and the watch bounds its time.
// A request the handler cannot answer at once is handed to the event loop
// with its connection suspended, and taken up again when its answer comes;
// the requests of one connection are read one after the other, so pipelined
// ones are answered in order.
class HttpDoor
{
public:
    struct Parts
    {
        ConnectionBook &book;
        ConnectionWatch &watch;
        HttpHandler &handler;
    };

    // The socket is listening already (the caller's, or systemd's); it
    // stays the caller's.
    HttpDoor(qintptr listening, const Parts &parts);
    ~HttpDoor();
    HttpDoor(const HttpDoor &) = delete;
    HttpDoor &operator=(const HttpDoor &) = delete;

    // False, with the reason, when the library would not take the socket.
    bool start(QString *error);

    // How long a stopping door waits for the requests it held to be told so.
    static constexpr int stopLingerMs = 1'000;

private:
    friend struct DoorCallbacks;
    struct Exchange;

    int judge(MHD_Connection *connection, Exchange &exchange, const char *version);
    int dispatch(MHD_Connection *connection, Exchange &exchange, const char *method);
    HttpRequest request(MHD_Connection *connection, const Exchange &exchange, const char *method) const;
    int refuse(MHD_Connection *connection, const SharedAnswer &refusal);
    int queue(MHD_Connection *connection, const SharedAnswer &answer);

    // Where requests go in the event loop: posting to it is safe from any thread.
    QObject m_loop;
    qintptr m_listening;
    Parts m_parts;
    MHD_Daemon *m_daemon = nullptr;
    QMutex m_lock; // over the requests waiting in the event loop
    QSet<std::shared_ptr<PendingAnswer> *> m_waiting;
    QWaitCondition m_drained; // one of them ended
};
