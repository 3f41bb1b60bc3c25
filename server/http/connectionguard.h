#pragma once

#include "http/requesthead.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTimer>

class ConnectionBook;
class QTcpSocket;

// Watches one client connection for its whole life (it is the socket's
// child): closes it when the client is too slow or sends what cannot be a
// request, and writes the answers in the order the requests came, also when
// a later one is ready first (a pipelined request whose answer is at hand
// behind one that waits for a network).
class ConnectionGuard : public QObject
{
    Q_OBJECT

public:
    ConnectionGuard(QTcpSocket *socket, ConnectionBook &book);
    ~ConnectionGuard() override;

    // The guard of the socket's connection, if it has one.
    static ConnectionGuard *of(QTcpSocket *socket);

    // A whole request arrived; its answer takes the place returned.
    quint64 requestArrived();
    // The whole answer of the request in that place; written once every
    // earlier answer has been.
    void answer(quint64 place, const QByteArray &bytes);

private:
    void onReadable();
    void refuse(const QByteArray &status);
    void restartDeadline();
    void setDeadline(int ms);
    void onDeadline();

    QTcpSocket *m_socket;
    ConnectionBook &m_book;
    QHostAddress m_client;
    RequestHeadCheck m_head;
    bool m_refused = false;
    quint64 m_nextPlace = 0;     // given to the next request
    quint64 m_nextToWrite = 0;   // the place whose answer goes out next
    QMap<quint64, QByteArray> m_readyEarly; // answers waiting for an earlier one
    // The connection ends at m_until. The timer is restarted only when the
    // end comes sooner than it would fire: most requests move the end later,
    // and the timer then looks again when it fires.
    QDeadlineTimer m_until;
    QTimer m_deadline;
};
