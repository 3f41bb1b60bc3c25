#include "support/fakestore.h"

#include "cluster/clusterprotocol.h"

#include <QTimer>

FakeStore::FakeStore(QObject *parent) : SharedStore(parent)
{
    m_clock.start();
}

void FakeStore::setUp(bool up)
{
    if (up != m_up) {
        m_up = up;
        emit upChanged(up);
    }
}

void FakeStore::command(const QList<QByteArray> &arguments, const Done &done)
{
    ++m_sent[arguments.value(0)];
    if (!m_up) {
        if (done)
            done(StoreReply{});
        return;
    }
    const StoreReply reply = run(arguments);
    if (!m_watched.isEmpty())
        m_most = qMax(m_most, int(keys(m_watched).size()));
    QTimer::singleShot(0, this, [done, reply] {
        if (done)
            done(reply);
    });
}

bool FakeStore::alive(const QByteArray &key)
{
    const auto entry = m_entries.constFind(key);
    if (entry == m_entries.cend())
        return false;
    if (entry->until && entry->until <= m_clock.elapsed()) {
        m_entries.erase(entry);
        return false;
    }
    return true;
}

StoreReply FakeStore::run(const QList<QByteArray> &arguments)
{
    StoreReply reply;
    reply.ok = true;
    const QByteArray name = arguments.value(0);
    if (name == "GET") {
        reply.nil = !alive(arguments.value(1));
        reply.text = reply.nil ? QByteArray() : m_entries.value(arguments.value(1)).value;
    } else if (name == "SET") {
        set(arguments.value(1), arguments.value(2), arguments.value(3) == "PX" ? arguments.value(4).toLongLong() : 0);
        reply.text = "OK";
    } else if (name == "PUBLISH") {
        publish(arguments.value(1), arguments.value(2));
    } else if (name == "EVAL") {
        return eval(arguments.value(1), arguments.value(3), arguments.mid(4));
    } else {
        reply.ok = false;
        reply.text = "ERR unknown command '" + name + "'";
    }
    return reply;
}

// The cluster's lease scripts, as Redis runs them.
StoreReply FakeStore::eval(const QByteArray &script, const QByteArray &key, const QList<QByteArray> &arguments)
{
    StoreReply reply;
    reply.ok = true;
    const QByteArray instance = arguments.value(0);
    const qint64 lifeMs = arguments.value(1).toLongLong();
    const QByteArray holder = alive(key) ? m_entries.value(key).value : QByteArray();
    if (script == ClusterProtocol::claimScript) {
        if (holder.isEmpty())
            set(key, instance, lifeMs);
        reply.text = holder.isEmpty() ? instance : holder;
    } else if (script == ClusterProtocol::renewScript) {
        reply.number = holder.isEmpty() || holder == instance ? 1 : 0;
        if (reply.number)
            set(key, instance, lifeMs);
    } else if (script == ClusterProtocol::releaseScript) {
        reply.number = holder == instance ? m_entries.remove(key) : 0;
    } else {
        reply.ok = false;
        reply.text = "NOSCRIPT unknown script";
    }
    return reply;
}

void FakeStore::set(const QByteArray &key, const QByteArray &value, qint64 lifeMs)
{
    m_entries.insert(key, {value, lifeMs ? m_clock.elapsed() + lifeMs : 0});
}

QByteArray FakeStore::value(const QByteArray &key)
{
    return alive(key) ? m_entries.value(key).value : QByteArray();
}

QList<QByteArray> FakeStore::keys(const QByteArray &prefix)
{
    QList<QByteArray> found;
    for (const QByteArray &key : m_entries.keys())
        if (key.startsWith(prefix) && alive(key))
            found.append(key);
    return found;
}

void FakeStore::publish(const QByteArray &channel, const QByteArray &payload)
{
    m_published.insert(channel, payload);
    QTimer::singleShot(0, this, [this, channel, payload] { emit message(channel, payload); });
}
