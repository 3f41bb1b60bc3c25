#pragma once

#include "model/backoff.h"
#include "model/storestatus.h"
#include "store/sharedstore.h"
#include "store/storeaddress.h"
#include "store/storesettings.h"

#include <QHash>
#include <QTimer>
#include <memory>

struct redisAsyncContext;
struct redisReply;
class StoreSocket;

// The store a cluster of status servers shares (Redis), spoken to through
// hiredis with its sockets in this event loop: no thread, no call that
// waits. Two connections: one for commands, one for the channels the
// instances talk on.
//
// The store is up only when its set-up went through, each step's reply
// read before the next: connected, the password accepted (AUTH, when there
// is one), the database selected (SELECT), the channels' connection
// accepted too. A step the store refuses leaves it down, with the store's
// reason, as when it is away: every waiting command fails at once, and it
// is tried again with backoff until it is back.
class Store : public SharedStore
{
    Q_OBJECT

public:
    struct Link; // one connection to the store, as hiredis's callbacks see it

    explicit Store(const StoreAddress &address, const StoreSettings &settings = {}, QObject *parent = nullptr);
    ~Store() override;

    // Connects, and keeps connecting while the store is away.
    void start();
    bool up() const override { return m_up; }
    QString address() const { return m_address.display(); }
    StoreStatus status() const;

    void command(const QList<QByteArray> &arguments, const Done &done = {}) override;
    void subscribe(const QList<QByteArray> &channels) override;

private:
    struct Pending
    {
        Done done;
        qint64 deadline;
    };
    void connectLinks();
    Link *open();
    void closeLinks();
    // The set-up's steps on a link, each sent when the one before was accepted.
    void authenticate(Link *link, const std::function<void()> &then);
    void selectDatabase();
    void openChannels();
    void step(Link *link, const QList<QByteArray> &arguments, const QString &refusal, const std::function<void()> &then);
    void listen(const QList<QByteArray> &channels);
    void request(Link *link, const QList<QByteArray> &arguments, const Done &done);
    void answered(quint64 id, const redisReply *reply);
    void heard(const redisReply *reply);
    void fail(quint64 id);
    void countError(const QByteArray &words);
    void setUp(bool up);
    // Away or refusing: down for this reason, tried again after the backoff.
    void down(const QString &why, const QByteArray &words = {});
    void checkDeadlines();

    static void onReply(redisAsyncContext *context, void *reply, void *id);
    static void onMessage(redisAsyncContext *context, void *reply, void *);
    static void onConnect(const redisAsyncContext *context, int status);
    static void onDisconnect(const redisAsyncContext *context, int status);

    StoreAddress m_address;
    StoreSettings m_settings;
    std::unique_ptr<Link> m_commands;
    std::unique_ptr<Link> m_channels;
    QList<QByteArray> m_subscribed;
    QHash<quint64, Pending> m_pending;
    QHash<QByteArray, qint64> m_errors; // by kind
    quint64 m_nextId = 1;
    bool m_up = false;
    bool m_started = false;
    QString m_why = QStringLiteral("not connected yet");
    QString m_saidWhy; // the log says each trouble once, not at every retry
    Backoff m_backoff;
    QTimer m_reconnect;
    QTimer m_deadlines;
};
