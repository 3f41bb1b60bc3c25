#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>
#include <functional>

// One keep-alive HTTP/1.1 connection to a loopback server, one request at a
// time (no pipelining): each answer is read to the end of its body
// (Content-Length) before the next request is asked for.
class KeepAliveClient : public QObject
{
public:
    // next gives the path of the next request, or nothing to stop; done gets each status code.
    using Next = std::function<QByteArray()>;
    using Done = std::function<void(int status, const QByteArray &body)>;

    KeepAliveClient(quint16 port, Next next, Done done, QObject *parent = nullptr)
        : QObject(parent), m_port(port), m_next(std::move(next)), m_done(std::move(done))
    {
        connect(&m_socket, &QTcpSocket::connected, this, [this] { ask(); });
        connect(&m_socket, &QTcpSocket::readyRead, this, [this] { read(); });
        connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
            // The server ended the connection (it may, after a refusal): start another.
            if (m_asking) {
                m_asking = false;
                m_done(0, {});
            }
            if (!m_stopped)
                open();
        });
        open();
    }

    bool stopped() const { return m_stopped; }

private:
    void open()
    {
        m_buffer.clear();
        m_socket.connectToHost(QHostAddress::LocalHost, m_port);
    }
    void ask()
    {
        const QByteArray path = m_next();
        if (path.isEmpty()) {
            m_stopped = true;
            m_socket.disconnectFromHost();
            return;
        }
        m_asking = true;
        m_socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }
    void read()
    {
        m_buffer += m_socket.readAll();
        for (;;) {
            const qsizetype end = m_buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = m_buffer.left(end);
            qsizetype length = 0;
            for (const QByteArray &line : head.split('\n'))
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            if (m_buffer.size() < end + 4 + length)
                return;
            const int status = head.mid(9, 3).toInt();
            const QByteArray body = m_buffer.mid(end + 4, length);
            m_buffer.remove(0, end + 4 + length);
            m_asking = false;
            m_done(status, body);
            ask();
            if (m_stopped)
                return;
        }
    }

    quint16 m_port;
    Next m_next;
    Done m_done;
    QTcpSocket m_socket;
    QByteArray m_buffer;
    bool m_asking = false;
    bool m_stopped = false;
};
