#include "store/store.h"

#include "model/clock.h"
#include "model/serverlog.h"

#include <QRegularExpression>
#include <QSocketNotifier>
#include <hiredis/async.h>
#include <hiredis/hiredis.h>

#include <vector>

// hiredis asks its event loop to watch the socket for reading and writing
// through these hooks; here the loop is Qt's. (The adapter hiredis ships
// connects to a signal Qt 6 no longer has, so it is written anew here.)
class StoreSocket
{
public:
    explicit StoreSocket(redisAsyncContext *context) : m_context(context)
    {
        context->ev.data = this;
        context->ev.addRead = [](void *self) { static_cast<StoreSocket *>(self)->watch(Read); };
        context->ev.delRead = [](void *self) { static_cast<StoreSocket *>(self)->unwatch(Read); };
        context->ev.addWrite = [](void *self) { static_cast<StoreSocket *>(self)->watch(Write); };
        context->ev.delWrite = [](void *self) { static_cast<StoreSocket *>(self)->unwatch(Write); };
        context->ev.cleanup = [](void *self) { static_cast<StoreSocket *>(self)->cleanup(); };
    }

private:
    enum Kind { Read, Write };

    void watch(Kind kind)
    {
        std::unique_ptr<QSocketNotifier> &notifier = m_notifiers[kind];
        if (notifier)
            return;
        notifier = std::make_unique<QSocketNotifier>(
            m_context->c.fd, kind == Read ? QSocketNotifier::Read : QSocketNotifier::Write);
        redisAsyncContext *context = m_context;
        QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [context, kind] {
            if (kind == Read)
                redisAsyncHandleRead(context);
            else
                redisAsyncHandleWrite(context);
        });
    }
    void unwatch(Kind kind)
    {
        // hiredis may ask this from inside the notifier's own activation.
        if (QSocketNotifier *notifier = m_notifiers[kind].release()) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    void cleanup()
    {
        unwatch(Read);
        unwatch(Write);
    }

    redisAsyncContext *m_context;
    std::unique_ptr<QSocketNotifier> m_notifiers[2];
};

struct Store::Link
{
    Store *owner = nullptr;
    redisAsyncContext *context = nullptr;
    std::unique_ptr<StoreSocket> socket;
};

namespace {

StoreReply convert(const redisReply *reply)
{
    StoreReply out;
    if (!reply)
        return out;
    out.ok = reply->type != REDIS_REPLY_ERROR;
    out.nil = reply->type == REDIS_REPLY_NIL;
    out.number = reply->integer;
    if (reply->str)
        out.text = QByteArray(reply->str, int(reply->len));
    if (reply->type == REDIS_REPLY_ARRAY) {
        out.items.reserve(int(reply->elements));
        for (size_t i = 0; i < reply->elements; ++i) {
            const redisReply *item = reply->element[i];
            out.items.append(item->str ? QByteArray(item->str, int(item->len)) : QByteArray());
        }
    }
    return out;
}

// hiredis takes a command as arrays of pointers and lengths.
struct Arguments
{
    explicit Arguments(const QList<QByteArray> &arguments)
    {
        for (const QByteArray &argument : arguments) {
            pointers.push_back(argument.constData());
            lengths.push_back(size_t(argument.size()));
        }
    }
    std::vector<const char *> pointers;
    std::vector<size_t> lengths;
};

int sendArguments(redisAsyncContext *context, redisCallbackFn *callback, void *data, const QList<QByteArray> &list)
{
    Arguments arguments(list);
    return redisAsyncCommandArgv(context, callback, data, int(arguments.pointers.size()), arguments.pointers.data(),
                                 arguments.lengths.data());
}

Store::Link *linkOf(const redisAsyncContext *context)
{
    return static_cast<Store::Link *>(context->data);
}

} // namespace

Store::Store(const StoreAddress &address, const StoreSettings &settings, QObject *parent)
    : SharedStore(parent), m_address(address), m_settings(settings),
      m_backoff(settings.reconnectFirstMs, settings.reconnectMaxMs)
{
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, [this] {
        closeLinks();
        connectLinks();
    });
    m_deadlines.setInterval(100);
    connect(&m_deadlines, &QTimer::timeout, this, &Store::checkDeadlines);
}

Store::~Store()
{
    closeLinks();
}

void Store::start()
{
    if (m_started)
        return;
    m_started = true;
    connectLinks();
}

StoreStatus Store::status() const
{
    StoreStatus status;
    status.up = m_up;
    status.why = m_up ? QString() : m_why;
    for (auto it = m_errors.cbegin(); it != m_errors.cend(); ++it)
        status.errors.append({it.key(), it.value()});
    std::sort(status.errors.begin(), status.errors.end());
    return status;
}

Store::Link *Store::open()
{
    redisAsyncContext *context = m_address.unixPath.isEmpty()
        ? redisAsyncConnect(m_address.host.toUtf8().constData(), m_address.port)
        : redisAsyncConnectUnix(m_address.unixPath.toUtf8().constData());
    if (!context)
        return nullptr;
    if (context->err) {
        redisAsyncFree(context);
        return nullptr;
    }
    auto *link = new Link;
    link->owner = this;
    link->context = context;
    context->data = link;
    link->socket = std::make_unique<StoreSocket>(context);
    redisAsyncSetConnectCallback(context, &Store::onConnect);
    redisAsyncSetDisconnectCallback(context, &Store::onDisconnect);
    return link;
}

// The set-up: the commands' connection first (its password, its database),
// then the channels' (its password, its subscriptions); up at the end.
void Store::connectLinks()
{
    m_commands.reset(open());
    if (!m_commands)
        return down(QStringLiteral("cannot connect"));
    m_deadlines.start();
    authenticate(m_commands.get(), [this] { selectDatabase(); });
}

void Store::authenticate(Link *link, const std::function<void()> &then)
{
    if (m_address.password.isEmpty())
        return then();
    step(link, {QByteArrayLiteral("AUTH"), m_address.password}, QStringLiteral("wrong password"), then);
}

void Store::selectDatabase()
{
    // Always selected, even 0: a reply read before anything is written.
    step(m_commands.get(), {QByteArrayLiteral("SELECT"), QByteArray::number(m_address.database)},
         QStringLiteral("database %1 refused").arg(m_address.database), [this] { openChannels(); });
}

void Store::openChannels()
{
    m_channels.reset(open());
    if (!m_channels)
        return down(QStringLiteral("cannot connect"));
    authenticate(m_channels.get(), [this] {
        setUp(true);
        listen(m_subscribed);
    });
}

void Store::step(Link *link, const QList<QByteArray> &arguments, const QString &refusal,
                 const std::function<void()> &then)
{
    request(link, arguments, [this, refusal, then](const StoreReply &reply) {
        if (reply.ok)
            then();
        else if (!reply.text.isEmpty()) // refused; without words the store went away, said elsewhere
            down(refusal, reply.text);
    });
}

void Store::listen(const QList<QByteArray> &channels)
{
    if (channels.isEmpty() || !m_up || !m_channels || !m_channels->context)
        return;
    sendArguments(m_channels->context, &Store::onMessage, nullptr, QList<QByteArray>{"SUBSCRIBE"} + channels);
}

void Store::closeLinks()
{
    for (std::unique_ptr<Link> *link : {&m_commands, &m_channels}) {
        if (*link && (*link)->context) {
            (*link)->context->data = nullptr; // its last callbacks are not ours
            redisAsyncFree((*link)->context);
        }
        link->reset();
    }
}

// Every command is sent with a reply awaited, so that a store that answers
// with an error, or not at all, is noticed for every command.
void Store::request(Link *link, const QList<QByteArray> &arguments, const Done &done)
{
    if (!link || !link->context || m_pending.size() >= m_settings.maxPending) {
        if (done)
            done(StoreReply{});
        return;
    }
    const quint64 id = m_nextId++;
    m_pending.insert(id, {done, steadyMs() + m_settings.replyBoundMs});
    m_deadlines.start();
    if (sendArguments(link->context, &Store::onReply, reinterpret_cast<void *>(quintptr(id)), arguments) != REDIS_OK)
        fail(id);
}

void Store::command(const QList<QByteArray> &arguments, const Done &done)
{
    if (!m_up) {
        if (done)
            done(StoreReply{});
        return;
    }
    request(m_commands.get(), arguments, done);
}

void Store::subscribe(const QList<QByteArray> &channels)
{
    m_subscribed += channels;
    listen(channels);
}

void Store::onReply(redisAsyncContext *context, void *reply, void *id)
{
    if (Link *link = linkOf(context))
        link->owner->answered(quintptr(id), static_cast<const redisReply *>(reply));
}

void Store::answered(quint64 id, const redisReply *reply)
{
    const auto pending = m_pending.find(id);
    if (pending == m_pending.end())
        return; // already failed when its time ran out
    const Done done = pending->done;
    m_pending.erase(pending);
    const StoreReply converted = convert(reply);
    if (!converted.ok && !converted.text.isEmpty())
        countError(converted.text);
    if (done)
        done(converted);
}

void Store::fail(quint64 id)
{
    answered(id, nullptr);
}

// Counted by the store's first word of the error; each kind logged once.
void Store::countError(const QByteArray &words)
{
    static const QRegularExpression kindPattern(QRegularExpression::anchoredPattern(QStringLiteral("[A-Z]{2,24}")));
    QByteArray kind = words.split(' ').constFirst();
    if (!kindPattern.match(QString::fromLatin1(kind)).hasMatch())
        kind = QByteArrayLiteral("OTHER");
    if (!m_errors.contains(kind) && m_errors.size() >= StoreSettings::maxErrorKinds)
        kind = QByteArrayLiteral("OTHER");
    if (m_errors[kind]++ == 0)
        ServerLog::line(QStringLiteral("store %1 refused a command: %2 (errors of this kind are counted, not logged again)")
                            .arg(m_address.display(), QString::fromUtf8(words.left(200))));
}

void Store::onMessage(redisAsyncContext *context, void *reply, void *)
{
    if (Link *link = linkOf(context))
        link->owner->heard(static_cast<const redisReply *>(reply));
}

void Store::heard(const redisReply *reply)
{
    const StoreReply message = convert(reply);
    if (message.items.size() == 3 && message.items.at(0) == "message")
        emit this->message(message.items.at(1), message.items.at(2));
}

void Store::onConnect(const redisAsyncContext *context, int status)
{
    Link *link = linkOf(context);
    if (!link || status == REDIS_OK)
        return;
    link->context = nullptr; // hiredis frees a context that could not connect
    link->owner->down(QString::fromUtf8(context->errstr));
}

void Store::onDisconnect(const redisAsyncContext *context, int status)
{
    Link *link = linkOf(context);
    if (!link)
        return;
    link->context = nullptr; // hiredis frees it after this call
    link->owner->down(status == REDIS_OK ? QStringLiteral("closed") : QString::fromUtf8(context->errstr));
}

void Store::checkDeadlines()
{
    const qint64 now = steadyMs();
    for (const Pending &pending : std::as_const(m_pending))
        if (pending.deadline <= now)
            return down(QStringLiteral("no reply within %1 ms").arg(m_settings.replyBoundMs));
    if (m_pending.isEmpty())
        m_deadlines.stop();
}

void Store::down(const QString &why, const QByteArray &words)
{
    m_why = why;
    if (why != m_saidWhy) {
        m_saidWhy = why;
        const QString theirs = words.isEmpty() ? QString() : QStringLiteral(": ") + QString::fromUtf8(words.left(200));
        ServerLog::line(QStringLiteral("store %1 down: %2%3; each instance asks on its own until it is back")
                            .arg(m_address.display(), why, theirs));
    }
    setUp(false);
    const QList<quint64> ids = m_pending.keys();
    for (const quint64 id : ids)
        fail(id);
    m_deadlines.stop();
    if (!m_reconnect.isActive())
        m_reconnect.start(m_backoff.next());
}

void Store::setUp(bool up)
{
    if (up == m_up)
        return;
    m_up = up;
    if (up) {
        m_backoff.reset();
        m_saidWhy.clear();
        ServerLog::line(QStringLiteral("store %1 is up; the cluster shares").arg(m_address.display()));
    }
    emit upChanged(up);
}
