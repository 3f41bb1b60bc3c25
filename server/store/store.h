#pragma once

#include "store/storeaddress.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

struct redisAsyncContext;
struct redisReply;
class StoreSocket;

// What the store answered to one command. A command that could not be
// sent, or was not answered in time, is answered failed at once: the
// caller then does without the store.
struct StoreReply
{
    bool ok = false;            // the store answered, and not with an error
    bool nil = false;           // it answered "nothing there"
    QByteArray text;            // a string or status
    qint64 number = 0;          // an integer
    QList<QByteArray> items;    // an array of strings (nil items empty)
};

// The store a cluster of status servers shares (Redis), spoken to through
// hiredis with its sockets in this event loop: no thread, no call that
// waits. Two connections: one for commands, one for the channels the
// instances talk on. When the store goes away, every waiting command fails
// at once, the store says it is down, and it is tried again with backoff
// until it is back.
class Store : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const StoreReply &)>;
    struct Link; // one connection to the store, as hiredis's callbacks see it

    explicit Store(const StoreAddress &address, QObject *parent = nullptr);
    ~Store() override;

    // Connects, and keeps connecting while the store is away.
    void start();
    bool up() const { return m_up; }
    QString address() const { return m_address.display(); }

    // Sends one command; done (when given) is called exactly once.
    void command(const QList<QByteArray> &arguments, const Done &done = {});
    // The channels whose messages are signalled, kept across reconnections.
    void subscribe(const QList<QByteArray> &channels);

    // A reply later than this is trouble with the store: the command fails
    // and the connection is made anew. It keeps every lookup that reads the
    // store well inside its answer bound.
    static constexpr int replyBoundMs = 500;
    // Commands sent and not yet answered, at most; beyond, they fail at once
    // rather than queue behind a store that is slow.
    static constexpr int maxPending = 10'000;
    // Reconnection waits this long at first, doubling up to the most, so that
    // a cluster shares again within seconds of the store's return.
    static constexpr int reconnectFirstMs = 250;
    static constexpr int reconnectMaxMs = 4'000;

signals:
    void upChanged(bool up);
    void message(const QByteArray &channel, const QByteArray &payload);

private:
    struct Pending
    {
        Done done;
        qint64 deadline;
    };
    void connectLinks();
    Link *open();
    void closeLinks();
    void listen(const QList<QByteArray> &channels);
    void send(Link *link, const QList<QByteArray> &arguments, quint64 id);
    void answered(quint64 id, const redisReply *reply);
    void heard(const redisReply *reply);
    void fail(quint64 id);
    void setUp(bool up);
    void lost(const QString &why);
    void checkDeadlines();

    static void onReply(redisAsyncContext *context, void *reply, void *id);
    static void onMessage(redisAsyncContext *context, void *reply, void *);
    static void onConnect(const redisAsyncContext *context, int status);
    static void onDisconnect(const redisAsyncContext *context, int status);

    StoreAddress m_address;
    std::unique_ptr<Link> m_commands;
    std::unique_ptr<Link> m_channels;
    QList<QByteArray> m_subscribed;
    QHash<quint64, Pending> m_pending;
    quint64 m_nextId = 1;
    bool m_up = false;
    bool m_started = false;
    bool m_saidAway = false; // the log says so once, not at every retry
    int m_backoffMs = reconnectFirstMs;
    QTimer m_reconnect;
    QTimer m_deadlines;
    QElapsedTimer m_clock;
};
