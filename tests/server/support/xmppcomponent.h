#pragma once

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTcpSocket>

// A stranger's server of its own on the test Jabber server: an external
// component (XEP-0114) of its domain, which may send for any address there
// and receives whatever is sent to them. Plain text on loopback.
class XmppComponent
{
public:
    XmppComponent(const QString &domain, quint16 port, const QByteArray &secret)
        : m_domain(domain), m_port(port), m_secret(secret)
    {
    }

    bool connect()
    {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), m_port);
        if (!m_socket.waitForConnected(3000))
            return false;
        m_socket.write("<stream:stream xmlns='jabber:component:accept' "
                       "xmlns:stream='http://etherx.jabber.org/streams' to='"
                       + m_domain.toUtf8() + "'>");
        const QRegularExpression id(QStringLiteral("<stream:stream[^>]* id=['\"]([^'\"]+)['\"]"));
        if (!readUntil(id))
            return false;
        const QByteArray streamId = id.match(QString::fromUtf8(m_received)).captured(1).toUtf8();
        m_socket.write("<handshake>" + QCryptographicHash::hash(streamId + m_secret, QCryptographicHash::Sha1).toHex()
                       + "</handshake>");
        return readUntil(QRegularExpression(QStringLiteral("<handshake\\s*/>|<handshake></handshake>")));
    }

    void send(const QByteArray &xml) { m_socket.write(xml); }

    // Reads what comes for a while.
    void pump(int ms)
    {
        const QDeadlineTimer deadline(ms);
        do {
            m_socket.waitForReadyRead(20);
            m_received += m_socket.readAll();
        } while (!deadline.hasExpired());
    }

    // The types of the presence stanzas received so far, in order.
    QStringList presenceTypes() const
    {
        QStringList types;
        const QRegularExpression presence(QStringLiteral("<presence\\b[^>]*>"));
        const QRegularExpression type(QStringLiteral("\\btype=['\"]([a-z]+)['\"]"));
        for (auto stanza = presence.globalMatch(QString::fromUtf8(m_received)); stanza.hasNext();)
            types.append(type.match(stanza.next().captured()).captured(1));
        return types;
    }

private:
    bool readUntil(const QRegularExpression &wanted, int withinMs = 3000)
    {
        const QDeadlineTimer deadline(withinMs);
        while (!wanted.match(QString::fromUtf8(m_received)).hasMatch() && !deadline.hasExpired())
            pump(50);
        return wanted.match(QString::fromUtf8(m_received)).hasMatch();
    }

    QString m_domain;
    quint16 m_port;
    QByteArray m_secret;
    QTcpSocket m_socket;
    QByteArray m_received;
};
