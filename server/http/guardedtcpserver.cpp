#include "http/guardedtcpserver.h"

#include "http/connectionbook.h"
#include "http/connectionguard.h"

#include <QTcpSocket>

GuardedTcpServer::GuardedTcpServer(ConnectionBook &book, QObject *parent) : QTcpServer(parent), m_book(book)
{
}

void GuardedTcpServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (!m_book.admit(socket->peerAddress())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    new ConnectionGuard(socket, m_book);
    addPendingConnection(socket);
}
