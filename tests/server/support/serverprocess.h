#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The server program on free loopback ports, with the arguments given.
class Server
{
public:
    explicit Server(QStringList arguments, const QString &program = QStringLiteral(QUORVANE_SERVER_PROGRAM))
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.start();
    }
    ~Server()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // Free ports, and lookups of the test IRC network allowed.
    static QStringList ircArguments()
    {
        return {QStringLiteral("--status-port"), QStringLiteral("0"), QStringLiteral("--web-port"), QStringLiteral("0"),
                QStringLiteral("--allow-network"), QStringLiteral("127.0.0.0/8"),
                QStringLiteral("--irc-ports"), QString::number(QUORVANE_TEST_IRC_PORT)};
    }

    // Waits for the log line naming the port of that kind ("status and pages", "pages").
    quint16 port(const QString &kind)
    {
        const QRegularExpression line(QStringLiteral("quorvane-server: %1 on 127\\.0\\.0\\.1:(\\d+)\\n").arg(kind));
        QRegularExpressionMatch match;
        for (int i = 0; i < 100 && !(match = line.match(log())).hasMatch(); ++i)
            m_process.waitForReadyRead(100);
        return quint16(match.captured(1).toUInt());
    }
    QString log()
    {
        m_log += QString::fromUtf8(m_process.readAllStandardError());
        return m_log;
    }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_log;
};

