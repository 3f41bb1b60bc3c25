#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <functional>

// What the store answered to one command. A command that could not be
// sent, or was not answered in time, is answered failed at once: the
// caller then does without the store.
struct StoreReply
{
    bool ok = false;            // the store answered, and not with an error
    bool nil = false;           // it answered "nothing there"
    QByteArray text;            // a string or status; the store's words of an error
    qint64 number = 0;          // an integer
    QList<QByteArray> items;    // an array of strings (nil items empty)
};

// The store a cluster shares, as the cluster uses it: commands with their
// replies, and the channels the instances talk on. The real one is Redis
// (Store); tests put one in memory in its place.
class SharedStore : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const StoreReply &)>;

    using QObject::QObject;

    // Whether commands may be sent: connected, and every step of the set-up accepted.
    virtual bool up() const = 0;
    // Sends one command; done (when given) is called exactly once.
    virtual void command(const QList<QByteArray> &arguments, const Done &done = {}) = 0;
    // The channels whose messages are signalled, kept across reconnections.
    virtual void subscribe(const QList<QByteArray> &channels) = 0;

signals:
    void upChanged(bool up);
    void message(const QByteArray &channel, const QByteArray &payload);
};
