#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a signal of the event loop, so that the
// server ends cleanly: a signal handler may only write to a pipe, and the
// event loop reads the other end.
class Termination : public QObject
{
    Q_OBJECT

public:
    explicit Termination(QObject *parent = nullptr);
    ~Termination() override;

signals:
    void requested(const QString &signalName);

private:
    static void onSignal(int number);
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
};
