#pragma once

#include <QTcpServer>

class ConnectionBook;

// A listening socket whose every connection gets a guard, and which turns
// away connections past the book's limits at once.
class GuardedTcpServer : public QTcpServer
{
    Q_OBJECT

public:
    GuardedTcpServer(ConnectionBook &book, QObject *parent = nullptr);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    ConnectionBook &m_book;
};
