#pragma once

#include <QHostAddress>
#include <QMutex>
#include <QSet>
#include <QTimer>

#include <atomic>

// The connections of every port with the time each may last: a client has
// the request time (from the connection or its last answer) to send a
// whole request, the door's own time-out being for silence only and in
// whole seconds; a request in the handler's hands has the handler's time;
// a refusal has its linger. The watch looks every tenth of a second in the
// event loop and shuts down the sockets whose time is up, which the door
// then closes. The door's threads open, move and close the visits; only the
// event loop touches the timer.
class ConnectionWatch
{
public:
    // How often the watch looks: the request time's precision.
    static constexpr int tickMs = 100;

    struct Visit
    {
        int descriptor;
        QHostAddress peer;
        bool admitted = false; // it holds a place in the book
        std::atomic<qint64> until{0}; // ms on the steady clock
    };

    ConnectionWatch();

    Visit *open(int descriptor, const QHostAddress &peer, int forMs);
    void close(Visit *visit);
    static void extend(Visit *visit, int forMs);
    // Ends it at once (a connection turned away).
    static void endNow(Visit *visit);

private:
    void look();

    QMutex m_lock; // over the set; a socket is shut down only while it is in it
    QSet<Visit *> m_visits;
    QTimer m_timer;
};
