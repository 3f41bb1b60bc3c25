#include "statushttpserver.h"

#include "connectionguard.h"
#include "pages.h"
#include "statusreply.h"
#include "status/statuslookup.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <memory>

using Status = QHttpServerResponder::StatusCode;

const QByteArray StatusHttpServer::noSniff = "nosniff";
const QByteArray StatusHttpServer::pagePolicy =
    "default-src 'none'; style-src 'self'; img-src 'self'; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'";

namespace {

void write(QHttpServerResponder &responder, QTcpSocket *socket, const QByteArray &body,
           const QByteArray &type, Status status, const QByteArray &cache, bool page = false)
{
    if (page)
        responder.write(body, {{"Content-Type", type}, {"Cache-Control", cache},
                               {"X-Content-Type-Options", StatusHttpServer::noSniff},
                               {"Content-Security-Policy", StatusHttpServer::pagePolicy},
                               {"Referrer-Policy", "no-referrer"}}, status);
    else
        responder.write(body, {{"Content-Type", type}, {"Cache-Control", cache},
                               {"X-Content-Type-Options", StatusHttpServer::noSniff}}, status);
    if (ConnectionGuard *guard = ConnectionGuard::of(socket))
        guard->answered();
}

void writeText(QHttpServerResponder &responder, QTcpSocket *socket, const QByteArray &text, Status status)
{
    write(responder, socket, text + '\n', "text/plain; charset=utf-8", status, "no-store");
}

} // namespace

StatusHttpServer::StatusHttpServer(bool servesStatus, StatusLookup &lookup, const Pages &pages, QObject *parent)
    : QAbstractHttpServer(parent), m_servesStatus(servesStatus), m_lookup(lookup), m_pages(pages)
{
}

bool StatusHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    if (ConnectionGuard *guard = ConnectionGuard::of(socket))
        guard->requestArrived();
    // One responder per request, shared with an answer that may come later.
    auto shared = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    QHttpServerResponder &responder = *shared;
    if (request.method() != QHttpServerRequest::Method::Get) {
        writeText(responder, socket, "only GET is answered here", Status::MethodNotAllowed);
        return true;
    }
    // The path as it came, still percent-encoded: "%2F" in an account must
    // not split it, and nothing may be decoded twice.
    const QString path = request.url().path(QUrl::FullyEncoded);
    if (path == QLatin1String("/") || path == QLatin1String("/Msntv")) {
        responder.write({{"Location", "/Msntv/"}, {"X-Content-Type-Options", noSniff}}, Status::Found);
        if (ConnectionGuard *guard = ConnectionGuard::of(socket))
            guard->answered();
        return true;
    }
    if (const auto page = m_pages.page(QUrl::fromPercentEncoding(path.toLatin1()))) {
        const bool live = page->contentType.startsWith("text/html");
        write(responder, socket, page->body, page->contentType, Status::Ok, live ? "no-cache" : "max-age=3600", live);
        return true;
    }
    const qsizetype slash = path.indexOf(QLatin1Char('/'), 1);
    const QString medium = path.mid(1, slash - 1);
    if (!m_servesStatus || slash < 0 || !StatusLookup::isMedium(medium)) {
        writeText(responder, socket, "not found", Status::NotFound);
        return true;
    }
    answerStatus(shared, request, socket, medium, QUrl::fromPercentEncoding(path.mid(slash + 1).toLatin1()));
    return true;
}

void StatusHttpServer::answerStatus(const std::shared_ptr<QHttpServerResponder> &responder,
                                    const QHttpServerRequest &request, QTcpSocket *socket,
                                    const QString &medium, const QString &account)
{
    const QUrlQuery query(request.url());
    const auto form = StatusReply::form(query.queryItemValue(QStringLiteral("format")));
    const auto set = StatusReply::set(query.queryItemValue(QStringLiteral("set")));
    if (!form || !set)
        return writeText(*responder, socket, "format is text or json, set is 1 to 4", Status::BadRequest);
    // The answer may come later, from the IRC side; by then the client may be gone.
    QPointer<QTcpSocket> alive(socket);
    const StatusReply::Form chosenForm = *form;
    const int chosenSet = *set;
    m_lookup.lookup(medium, account, [responder, alive, chosenForm, chosenSet](const StatusAnswer &answer) {
        if (!alive)
            return;
        const StatusReply reply = StatusReply::make(answer, chosenForm, chosenSet);
        write(*responder, alive, reply.body, reply.contentType, Status::Ok, "no-store");
    });
}

void StatusHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    writeText(responder, socket, "not found", Status::NotFound);
}
