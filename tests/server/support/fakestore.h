#pragma once

#include "store/sharedstore.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>

// A store in memory in place of Redis, for the cluster's in-process tests:
// strings with their time to live, the channels, and the cluster's lease
// scripts, which it runs as Redis would. Replies come in a later turn of
// the event loop, in order, as a real store's do. The test can take it
// away and bring it back, and reads what it holds.
class FakeStore : public SharedStore
{
    Q_OBJECT

public:
    explicit FakeStore(QObject *parent = nullptr);

    bool up() const override { return m_up; }
    void command(const QList<QByteArray> &arguments, const Done &done = {}) override;
    void subscribe(const QList<QByteArray> &) override {}

    void setUp(bool up);
    // A value as another instance would write it, living this long (0: for ever).
    void set(const QByteArray &key, const QByteArray &value, qint64 lifeMs = 0);
    QByteArray value(const QByteArray &key);
    // The live keys that begin so.
    QList<QByteArray> keys(const QByteArray &prefix);
    // How many commands of each name were sent (EVAL, GET...).
    int sent(const QByteArray &name) const { return m_sent.value(name); }
    // Keeps the most keys with this prefix that ever lived at once.
    void watch(const QByteArray &prefix) { m_watched = prefix; }
    int most() const { return m_most; }
    // Says a message on a channel, as another instance would.
    void publish(const QByteArray &channel, const QByteArray &payload);
    // Every message said on the channel, in order.
    QList<QByteArray> published(const QByteArray &channel) const { return m_published.values(channel); }

private:
    StoreReply run(const QList<QByteArray> &arguments);
    StoreReply eval(const QByteArray &script, const QByteArray &key, const QList<QByteArray> &arguments);
    bool alive(const QByteArray &key);

    struct Entry
    {
        QByteArray value;
        qint64 until = 0; // 0: no end
    };
    QHash<QByteArray, Entry> m_entries;
    QHash<QByteArray, int> m_sent;
    QMultiHash<QByteArray, QByteArray> m_published;
    QElapsedTimer m_clock;
    bool m_up = true;
    QByteArray m_watched;
    int m_most = 0;
};
