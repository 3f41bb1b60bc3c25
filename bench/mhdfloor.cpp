// A candidate HTTP layer for the status server's hot path, measured as a
// floor: GNU libmicrohttpd (Debian's libmicrohttpd-dev) driven from the
// server's own event loop in its one thread (its epoll descriptor watched by
// a socket notifier), as the server would have to use it to keep its
// lookups single-threaded. It answers every request with the bytes and
// headers of a cached status picture, the response made once and reused.
//
//   quorvane_mhdfloor PORT PICTURE
#include "floorprogram.h"

#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

namespace {

// Called first when the head is read, then when the request is whole. An
// answer queued at the first call makes the daemon close the connection
// (the body might still come), so it waits for the second.
MHD_Result answer(void *cls, MHD_Connection *connection, const char *, const char *, const char *, const char *,
                  size_t *, void **request)
{
    if (!*request) {
        *request = connection;
        return MHD_YES;
    }
    return MHD_queue_response(connection, MHD_HTTP_OK, static_cast<MHD_Response *>(cls));
}

// The daemon, and what makes the event loop run it when it has work.
class MhdFloor : public QObject
{
public:
    MhdFloor(quint16 port, const QByteArray &picture) : m_picture(picture)
    {
        m_response = MHD_create_response_from_buffer(size_t(m_picture.size()), m_picture.data(),
                                                     MHD_RESPMEM_PERSISTENT);
        MHD_add_response_header(m_response, "Content-Type", "image/png");
        MHD_add_response_header(m_response, "Cache-Control", "no-store");
        MHD_add_response_header(m_response, "Vary", "Accept, Sec-Fetch-Dest");
        MHD_add_response_header(m_response, "X-Content-Type-Options", "nosniff");
        sockaddr_in loopback{};
        loopback.sin_family = AF_INET;
        loopback.sin_port = htons(port);
        loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_daemon = MHD_start_daemon(MHD_USE_EPOLL | MHD_USE_TURBO, port, nullptr, nullptr, answer, m_response,
                                    MHD_OPTION_SOCK_ADDR, &loopback, MHD_OPTION_CONNECTION_LIMIT, 1024u,
                                    MHD_OPTION_END);
        if (!m_daemon)
            return;
        const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_EPOLL_FD);
        auto *notifier = new QSocketNotifier(info->epoll_fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { MHD_run(m_daemon); });
        // The daemon's own time-outs.
        connect(&m_tick, &QTimer::timeout, this, [this] { MHD_run(m_daemon); });
        m_tick.start(1000);
    }
    ~MhdFloor() override
    {
        if (m_daemon)
            MHD_stop_daemon(m_daemon);
        MHD_destroy_response(m_response);
    }
    bool listening() const { return m_daemon != nullptr; }

private:
    QByteArray m_picture;
    MHD_Response *m_response = nullptr;
    MHD_Daemon *m_daemon = nullptr;
    QTimer m_tick;
};

} // namespace

int main(int argc, char *argv[])
{
    return FloorProgram::run(argc, argv, [](quint16 port, const QByteArray &picture) -> std::unique_ptr<QObject> {
        auto server = std::make_unique<MhdFloor>(port, picture);
        if (!server->listening())
            return nullptr;
        return server;
    });
}
