#include "http/httpdoor.h"

#include "http/clientaddress.h"
#include "http/connectionbook.h"
#include "http/connectionwatch.h"
#include "http/requesthead.h"
#include "http/socketcalls.h"

#include <QDeadlineTimer>
#include <QThread>

#include <microhttpd.h>

#include <cstring>

// What the door keeps of one request while the library reads it.
struct HttpDoor::Exchange
{
    QByteArray target;        // as it came
    const char *targetEnd;    // where the library's copy of it ends
    bool judged = false;
    qint64 bodyBytes = 0;
    std::shared_ptr<PendingAnswer> pending; // once it is in the handler's hands
};

namespace {

// The headers the server reads; the others are judged, not kept.
constexpr const char *readHeaders[] = {"host", "accept", "sec-fetch-dest", "if-none-match", "x-forwarded-for",
                                       "forwarded", "x-forwarded-proto"};

ConnectionWatch::Visit *visitOf(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<ConnectionWatch::Visit *>(info->socket_context) : nullptr;
}

QHostAddress peerOf(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    QHostAddress peer;
    if (info && info->client_addr)
        peer.setAddress(info->client_addr);
    // An IPv4 client of an IPv6 socket is the IPv4 address it is.
    bool mapped = false;
    const quint32 v4 = peer.toIPv4Address(&mapped);
    return mapped && peer.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress(v4) : peer;
}

// The target's path and query, from the origin form "/path?query" or the
// absolute form "http://host/path?query".
void splitTarget(const QByteArray &target, HttpRequest &request)
{
    qsizetype start = 0;
    if (!target.startsWith('/')) {
        const qsizetype authority = target.indexOf("//") + 2;
        start = target.indexOf('/', authority);
        if (start < 0)
            start = target.size();
    }
    const qsizetype question = target.indexOf('?', start);
    request.path = target.mid(start, question < 0 ? -1 : question - start);
    if (request.path.isEmpty())
        request.path = "/";
    request.hasQuery = question >= 0;
    if (request.hasQuery)
        request.query = target.mid(question + 1);
}

} // namespace

// The library's callbacks, in its own types.
struct DoorCallbacks
{
    static void *began(void *door, const char *target, MHD_Connection *)
    {
        (void)door;
        const size_t length = std::strlen(target);
        return new HttpDoor::Exchange{QByteArray(target, qsizetype(length)), target + length, false, 0, {}};
    }

    static MHD_Result onRequest(void *door, MHD_Connection *connection, const char *, const char *method,
                                const char *version, const char *, size_t *uploadSize, void **context)
    {
        auto *self = static_cast<HttpDoor *>(door);
        auto *exchange = static_cast<HttpDoor::Exchange *>(*context);
        if (!exchange->judged)
            return MHD_Result(self->judge(connection, *exchange, version));
        if (*uploadSize > 0) {
            // A body is read and let go: nothing here takes one. One past
            // the bytes is still read to its end (or the request time's),
            // so that the client reads the refusal rather than a reset.
            exchange->bodyBytes += qint64(*uploadSize);
            *uploadSize = 0;
            return MHD_YES;
        }
        if (exchange->bodyBytes > self->m_parts.book.limits().maxRequestBytes && !exchange->pending)
            return MHD_Result(self->refuse(connection, HttpAnswer::textAnswer(413, "a request takes at most "
                + QByteArray::number(self->m_parts.book.limits().maxRequestBytes) + " bytes", {}, true)));
        if (!exchange->pending)
            return MHD_Result(self->dispatch(connection, *exchange, method));
        // Taken up again: its answer came.
        if (const SharedAnswer answer = exchange->pending->take())
            return MHD_Result(self->queue(connection, answer));
        exchange->pending->suspendUnlessAnswered();
        return MHD_YES;
    }

    static void completed(void *door, MHD_Connection *connection, void **context, MHD_RequestTerminationCode)
    {
        auto *self = static_cast<HttpDoor *>(door);
        auto *exchange = static_cast<HttpDoor::Exchange *>(*context);
        *context = nullptr;
        if (exchange && exchange->pending) {
            exchange->pending->end();
            const QMutexLocker locked(&self->m_lock);
            self->m_waiting.remove(&exchange->pending);
            self->m_drained.wakeAll();
        }
        delete exchange;
        if (ConnectionWatch::Visit *visit = visitOf(connection))
            ConnectionWatch::extend(visit, self->m_parts.book.limits().requestMs);
    }

    static void connectionEvent(void *door, MHD_Connection *connection, void **context,
                                MHD_ConnectionNotificationCode what)
    {
        auto *self = static_cast<HttpDoor *>(door);
        if (what == MHD_CONNECTION_NOTIFY_STARTED) {
            const MHD_ConnectionInfo *fd = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
            const QHostAddress peer = peerOf(connection);
            SocketCalls::sendAtOnce(int(fd->connect_fd));
            auto *visit = self->m_parts.watch.open(int(fd->connect_fd), peer, self->m_parts.book.limits().requestMs);
            visit->admitted = self->m_parts.book.admit(peer);
            if (!visit->admitted)
                ConnectionWatch::endNow(visit); // turned away at once
            *context = visit;
            return;
        }
        auto *visit = static_cast<ConnectionWatch::Visit *>(*context);
        if (!visit)
            return;
        if (visit->admitted)
            self->m_parts.book.release(visit->peer);
        self->m_parts.watch.close(visit);
        *context = nullptr;
    }

    // The target is taken as it came: the server decodes what it reads, once.
    static size_t keepEncoded(void *, MHD_Connection *, char *text) { return std::strlen(text); }
};

HttpDoor::HttpDoor(qintptr listening, const Parts &parts) : m_listening(listening), m_parts(parts)
{
}

HttpDoor::~HttpDoor()
{
    if (!m_daemon)
        return;
    // The library cannot stop with a request waiting: no new one comes in,
    // each waiting one is told the server stops, and has a moment to hear it.
    MHD_quiesce_daemon(m_daemon);
    {
        QMutexLocker locked(&m_lock);
        const SharedAnswer stopping = HttpAnswer::textAnswer(503, "the server is stopping", {}, true);
        for (std::shared_ptr<PendingAnswer> *pending : std::as_const(m_waiting))
            (*pending)->deliver(stopping);
        const QDeadlineTimer until(stopLingerMs);
        while (!m_waiting.isEmpty() && m_drained.wait(&m_lock, until)) {
        }
    }
    MHD_stop_daemon(m_daemon);
}

bool HttpDoor::start(QString *error)
{
    const ConnectionLimits &limits = m_parts.book.limits();
    const unsigned threads = unsigned(qMax(1, QThread::idealThreadCount()));
    // The book decides which connections stay; the library's own limit,
    // shared among its threads, is only above it.
    const unsigned libraryLimit = unsigned(limits.maxConnections + 64) * threads;
    // A head of the largest request the server takes fits the memory of its
    // connection, with room for the answer's head.
    const size_t memory = size_t(limits.maxRequestBytes) * 2;
    // poll(), not epoll: with epoll, libmicrohttpd 0.9.75 keeps a connection
    // it has closed on reading the client's end of a request (edge-triggered,
    // nothing wakes it again) until the watch ends it.
    m_daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_POLL | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_TURBO, 0, nullptr,
        nullptr, &DoorCallbacks::onRequest, this, MHD_OPTION_LISTEN_SOCKET, MHD_socket(m_listening),
        MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_CONNECTION_LIMIT, libraryLimit,
        MHD_OPTION_CONNECTION_TIMEOUT, 0u, MHD_OPTION_CONNECTION_MEMORY_LIMIT, memory,
        MHD_OPTION_STRICT_FOR_CLIENT, 1, MHD_OPTION_URI_LOG_CALLBACK, &DoorCallbacks::began, this,
        MHD_OPTION_UNESCAPE_CALLBACK, &DoorCallbacks::keepEncoded, this, MHD_OPTION_NOTIFY_COMPLETED,
        &DoorCallbacks::completed, this, MHD_OPTION_NOTIFY_CONNECTION, &DoorCallbacks::connectionEvent, this,
        MHD_OPTION_END);
    if (!m_daemon && error)
        *error = QStringLiteral("libmicrohttpd would not serve the socket");
    return m_daemon != nullptr;
}

// The head is whole: judged, and refused when the rules say so. Else the
// body, if any, is read next.
int HttpDoor::judge(MHD_Connection *connection, Exchange &exchange, const char *version)
{
    exchange.judged = true;
    RequestHeadCheck check(m_parts.book.limits().maxHeaders, m_parts.book.limits().maxRequestBytes);
    // A NUL in the target ends the library's copy of it before the version.
    check.target(exchange.target.constData(), exchange.target.size(), version != exchange.targetEnd + 1);
    MHD_get_connection_values_n(
        connection, MHD_HEADER_KIND,
        [](void *cls, MHD_ValueKind, const char *name, size_t nameSize, const char *value, size_t valueSize) {
            static_cast<RequestHeadCheck *>(cls)->header(name, qsizetype(nameSize), value ? value : "",
                                                         qsizetype(valueSize));
            return MHD_YES;
        },
        &check);
    switch (check.verdict(qstrcmp(version, "HTTP/1.0") == 0)) {
    case RequestHeadCheck::Verdict::Fine: return MHD_YES;
    case RequestHeadCheck::Verdict::Malformed:
        return refuse(connection, HttpAnswer::textAnswer(400, "not a request this server reads", {}, true));
    case RequestHeadCheck::Verdict::TooManyHeaders:
        return refuse(connection, HttpAnswer::textAnswer(431, "a request has at most "
            + QByteArray::number(m_parts.book.limits().maxHeaders) + " header lines", {}, true));
    case RequestHeadCheck::Verdict::TargetTooLong:
        return refuse(connection, HttpAnswer::textAnswer(414, "a target takes at most "
            + QByteArray::number(m_parts.book.limits().maxRequestBytes) + " bytes", {}, true));
    case RequestHeadCheck::Verdict::TooLarge:
        return refuse(connection, HttpAnswer::textAnswer(431, "a request takes at most "
            + QByteArray::number(m_parts.book.limits().maxRequestBytes) + " bytes", {}, true));
    case RequestHeadCheck::Verdict::UnknownCoding:
        return refuse(connection, HttpAnswer::textAnswer(501, "the only transfer coding read here is chunked", {}, true));
    }
    return MHD_NO;
}

int HttpDoor::refuse(MHD_Connection *connection, const SharedAnswer &refusal)
{
    if (ConnectionWatch::Visit *visit = visitOf(connection))
        ConnectionWatch::extend(visit, m_parts.book.limits().refusalLingerMs);
    return queue(connection, refusal);
}

int HttpDoor::queue(MHD_Connection *connection, const SharedAnswer &answer)
{
    return MHD_queue_response(connection, unsigned(answer->status()), answer->response());
}

// The request is whole: the handler answers it here, or in the event loop
// while the connection waits.
int HttpDoor::dispatch(MHD_Connection *connection, Exchange &exchange, const char *method)
{
    exchange.pending = std::make_shared<PendingAnswer>(connection);
    HttpRequest asked = request(connection, exchange, method);
    const HttpAnswer answer(exchange.pending);
    if (m_parts.handler.answerAtOnce(asked, answer))
        if (const SharedAnswer ready = exchange.pending->take())
            return queue(connection, ready);
    if (ConnectionWatch::Visit *visit = visitOf(connection))
        ConnectionWatch::extend(visit, m_parts.book.handlerAbortMs());
    {
        const QMutexLocker locked(&m_lock);
        m_waiting.insert(&exchange.pending);
    }
    if (!exchange.pending->suspendUnlessAnswered())
        return queue(connection, exchange.pending->take());
    QMetaObject::invokeMethod(
        &m_loop, [this, asked, answer] { m_parts.handler.answer(asked, answer); }, Qt::QueuedConnection);
    return MHD_YES;
}

HttpRequest HttpDoor::request(MHD_Connection *connection, const Exchange &exchange, const char *method) const
{
    HttpRequest request;
    request.method = method;
    splitTarget(exchange.target, request);
    for (const char *name : readHeaders)
        if (const char *value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name))
            request.headers.append({QByteArray(name), QByteArray(value)});
    const ConnectionWatch::Visit *visit = visitOf(connection);
    request.peer = visit ? visit->peer : peerOf(connection);
    request.client = ClientAddress::of(request.peer, request.value("x-forwarded-for"), request.value("forwarded"),
                                       m_parts.book.trustedProxies());
    return request;
}
