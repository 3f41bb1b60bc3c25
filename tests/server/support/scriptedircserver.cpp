#include "scriptedircserver.h"

#include <QSslServer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

ScriptedIrcServer::ScriptedIrcServer(Behaviour behaviour, QObject *parent)
    : QObject(parent), m_behaviour(behaviour), m_server(new QTcpServer(this))
{
    m_clock.start();
    m_server->listen(QHostAddress::LocalHost);
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &ScriptedIrcServer::onConnection);
}

ScriptedIrcServer::ScriptedIrcServer(const QSslConfiguration &tls, QObject *parent)
    : QObject(parent), m_behaviour(Behaviour::Answer)
{
    m_clock.start();
    auto *server = new QSslServer(this);
    server->setSslConfiguration(tls);
    m_server = server;
    m_server->listen(QHostAddress::LocalHost);
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &ScriptedIrcServer::onConnection);
}

QByteArrayList ScriptedIrcServer::lines(const QByteArray &command) const
{
    QByteArrayList found;
    for (const QByteArray &line : m_lines)
        if (line.startsWith(command + ' ') || line == command)
            found.append(line);
    return found;
}

void ScriptedIrcServer::onConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        ++m_connections;
        m_connectionTimes.append(m_clock.elapsed());
        socket->setProperty("connection", m_connections);
        // A newcomer's first lines already pay a penalty, as on ngIRCd.
        socket->setProperty("penaltyUntil", m_clock.elapsed() + m_penaltyMs);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (m_behaviour == Behaviour::Garbage)
            socket->write(QByteArray("\x00\xff\xfe garbage \x01\x02", sizeof("\x00\xff\xfe garbage \x01\x02") - 1) + QByteArray(300, '\x7f') + "\r\n:::: ::\n\n");
        if (m_behaviour == Behaviour::DropMidLine) {
            socket->write(":irc.scripted 001 someone :Welc");
            QTimer::singleShot(50, socket, [socket] { socket->disconnectFromHost(); });
        }
    }
}

void ScriptedIrcServer::onReadable(QTcpSocket *socket)
{
    const QByteArray data = socket->readAll();
    m_bytes += data;
    if (m_behaviour == Behaviour::RefuseTls && data.startsWith('\x16'))
        return socket->abort();
    // Whole lines only; the rest waits on the socket for the next piece.
    const QByteArray buffered = socket->property("buffered").toByteArray() + data;
    QByteArrayList parts = buffered.split('\n');
    socket->setProperty("buffered", parts.takeLast());
    for (QByteArray line : parts) {
        if (line.endsWith('\r'))
            line.chop(1);
        m_lines.append(line);
        if (m_behaviour != Behaviour::Silent && m_behaviour != Behaviour::Garbage
            && m_behaviour != Behaviour::DropMidLine)
            answer(socket, line);
        if (socket->state() != QAbstractSocket::ConnectedState)
            break;
    }
}

void ScriptedIrcServer::answer(QTcpSocket *socket, const QByteArray &line)
{
    const QByteArrayList words = line.split(' ');
    const QByteArray command = words.value(0).toUpper();
    if (command == "NICK") {
        socket->setProperty("nick", words.value(1));
    } else if (command == "USER") {
        const QByteArray nick = socket->property("nick").toByteArray();
        socket->write(":irc.scripted 001 " + nick + " :Welcome\r\n:irc.scripted 005 " + nick + " CASEMAPPING="
                      + m_caseMapping + " :are supported\r\n:irc.scripted 422 " + nick + " :No MOTD\r\n");
        afterWelcome(socket);
    } else if (command == "PING") {
        socket->write(":irc.scripted PONG irc.scripted " + words.value(1) + "\r\n");
    } else if ((command == "ISON" || command == "USERHOST") && m_behaviour == Behaviour::Penalised) {
        // Held until the penalty of the line before has passed, as ngIRCd does.
        const qint64 now = m_clock.elapsed();
        const qint64 at = std::max(now, socket->property("penaltyUntil").toLongLong());
        socket->setProperty("penaltyUntil", at + m_penaltyMs);
        QTimer::singleShot(int(at - now), socket, [this, socket, words, command] {
            command == "ISON" ? answerIson(socket, words) : answerUserhost(socket, words);
        });
    } else if (command == "ISON") {
        answerIson(socket, words);
    } else if (command == "USERHOST") {
        answerUserhost(socket, words);
    } else if (command == "QUIT") {
        socket->disconnectFromHost();
    }
}

QByteArray ScriptedIrcServer::fold(const QByteArray &nick) const
{
    QByteArray folded = nick.toLower();
    if (m_caseMapping != "ascii")
        for (char &c : folded)
            c = c == '[' ? '{' : c == ']' ? '}' : c == '\\' ? '|' : c == '~' ? '^' : c;
    return folded;
}

void ScriptedIrcServer::afterWelcome(QTcpSocket *socket)
{
    switch (m_behaviour) {
    case Behaviour::CloseAfterWelcome:
        QTimer::singleShot(100, socket, [socket] { socket->disconnectFromHost(); });
        break;
    case Behaviour::EndlessLine:
        socket->write(":irc.scripted NOTICE * :" + QByteArray(64 * 1024, 'x'));
        break;
    case Behaviour::PingFlood:
        for (int i = 0; i < 5'000; ++i)
            socket->write(":irc.scripted PING :flood" + QByteArray::number(i) + "\r\n");
        break;
    case Behaviour::PingFloodUnread:
        // Nothing more is read from the client, so its PONGs pile up on its side.
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        socket->setReadBufferSize(1);
        for (int i = 0; i < 20'000; ++i)
            socket->write(":irc.scripted PING :" + QByteArray(400, 'p') + QByteArray::number(i) + "\r\n");
        break;
    default:
        break;
    }
}

void ScriptedIrcServer::answerIson(QTcpSocket *socket, const QByteArrayList &words)
{
    const QByteArray nick = socket->property("nick").toByteArray();
    switch (m_behaviour) {
    case Behaviour::DropFirstIson:
        if (socket->property("connection").toInt() == 1)
            return socket->abort();
        break;
    case Behaviour::StallMidLine:
        socket->write(":irc.scripted 303 " + nick + " :Tel");
        return;
    case Behaviour::LongLines:
        socket->write(":irc.scripted NOTICE " + nick + " :" + QByteArray(4'000, 'L') + "\r\n");
        break;
    case Behaviour::GarbageAfterWelcome:
        socket->write(QByteArray("\x00\xff\xfe\x01 303 \x80\x81\r\n\r\n\n:\r\n: :\n\x7f\x1b[2J\r\n", 29));
        socket->write(":irc.scripted 303\r\n:\xc0\xaf 999 " + nick + " :\xc3\x28\xf0\x28\x8c\x28 " + "\r\n");
        break;
    default:
        break;
    }
    QByteArrayList online;
    for (const QByteArray &asked : words.mid(1))
        if (isOnline(asked))
            online.append(asked);
    socket->write(":irc.scripted 303 " + nick + " :" + online.join(' ') + "\r\n");
}

bool ScriptedIrcServer::isOnline(const QByteArray &nick) const
{
    return std::any_of(m_online.cbegin(), m_online.cend(), [&](const QByteArray &known) { return fold(nick) == fold(known); });
}

void ScriptedIrcServer::answerUserhost(QTcpSocket *socket, const QByteArrayList &words)
{
    QByteArrayList replies;
    for (const QByteArray &asked : words.mid(1, 5))
        if (isOnline(asked)) {
            const bool away = std::any_of(m_away.cbegin(), m_away.cend(), [&](const QByteArray &a) { return fold(a) == fold(asked); });
            replies.append(asked + (away ? "=-" : "=+") + "member@127.0.0.1");
        }
    socket->write(":irc.scripted 302 " + socket->property("nick").toByteArray() + " :" + replies.join(' ') + "\r\n");
}
