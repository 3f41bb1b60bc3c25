#pragma once

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QSslConfiguration>
#include <QTcpServer>

class QTcpSocket;

// A small IRC server on the loopback address that does on demand what a
// real one will not: answer well, never answer, send garbage, drop the
// connection in the middle of a line, refuse TLS, or speak TLS with a
// certificate of the test's own. It counts connections and every line it
// receives.
class ScriptedIrcServer : public QObject
{
    Q_OBJECT

public:
    enum class Behaviour {
        Answer,      // registers the client and answers ISON from the online set
        Silent,      // accepts the connection and says nothing
        Garbage,     // sends bytes that are no IRC at all, never a welcome
        DropMidLine, // sends half a welcome line, then closes
        RefuseTls,   // closes at once when the first bytes are a TLS hello
        CloseAfterWelcome, // registers the client, then closes the connection
        DropFirstIson, // registers; closes the first connection when an ISON arrives, answers on later ones
        StallMidLine,  // registers, then answers ISON with half a line and nothing more
        LongLines,     // registers and answers, each answer after a 4,000-byte line
        EndlessLine,   // registers, then sends 64 KiB without a line end
        GarbageAfterWelcome, // registers and answers, each answer after lines of binary garbage
        PingFlood,     // registers, sends 5,000 PINGs at once, then answers
        PingFloodUnread, // registers, stops reading, then sends 8 MB of PINGs
        Penalised,     // answers as Answer, but each ISON or USERHOST only a penalty after the one before
    };

    explicit ScriptedIrcServer(Behaviour behaviour, QObject *parent = nullptr);
    // Speaks TLS with this configuration and answers like Answer.
    explicit ScriptedIrcServer(const QSslConfiguration &tls, QObject *parent = nullptr);

    quint16 port() const { return m_server->serverPort(); }

    // Nicks that read online, and the case mapping the welcome announces.
    void setOnline(const QSet<QByteArray> &nicks) { m_online = nicks; }
    // Those of the online nicks that are away, as USERHOST tells.
    void setAway(const QSet<QByteArray> &nicks) { m_away = nicks; }
    // What a line of Penalised costs: its answer waits until the one before's penalty has passed.
    void setPenaltyMs(int ms) { m_penaltyMs = ms; }
    void setCaseMapping(const QByteArray &name) { m_caseMapping = name; }

    int connections() const { return m_connections; }
    // When each connection came, in milliseconds since the server was made.
    const QList<qint64> &connectionTimes() const { return m_connectionTimes; }
    const QByteArrayList &lines() const { return m_lines; }
    // The received lines that begin with the command.
    QByteArrayList lines(const QByteArray &command) const;
    // Every byte received, for checks on what reached the wire.
    const QByteArray &bytes() const { return m_bytes; }

private:
    void onConnection();
    void onReadable(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &line);
    void afterWelcome(QTcpSocket *socket);
    void answerIson(QTcpSocket *socket, const QByteArrayList &words);
    void answerUserhost(QTcpSocket *socket, const QByteArrayList &words);
    bool isOnline(const QByteArray &nick) const;
    QByteArray fold(const QByteArray &nick) const;

    Behaviour m_behaviour;
    QTcpServer *m_server;
    QSet<QByteArray> m_online;
    QSet<QByteArray> m_away;
    int m_penaltyMs = 1000;
    QByteArray m_caseMapping = "rfc1459";
    int m_connections = 0;
    QList<qint64> m_connectionTimes;
    QElapsedTimer m_clock;
    QByteArrayList m_lines;
    QByteArray m_bytes;
};
