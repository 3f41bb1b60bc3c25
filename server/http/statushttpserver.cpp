#include "http/statushttpserver.h"

#include "http/badgepage.h"
#include "http/clientaddress.h"
#include "http/connectionbook.h"
#include "http/entitytag.h"
#include "http/httpanswer.h"
#include "http/metrics.h"
#include "http/pages.h"
#include "http/statusreply.h"
#include "model/medium.h"
#include "model/serverstats.h"
#include "service/statuslookup.h"

#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {

// How much an Accept header wants a media type: the quality of the most
// specific range that matches it (type/subtype, then type/*, then */*).
double quality(const QByteArray &accept, const QByteArray &type)
{
    const QByteArray major = type.left(type.indexOf('/'));
    int bestSpecificity = -1;
    double best = 0;
    for (const QByteArray &item : accept.split(',')) {
        const QList<QByteArray> parts = item.split(';');
        const QByteArray range = parts.first().trimmed().toLower();
        const int specificity = range == type ? 2 : range == major + "/*" ? 1 : range == "*/*" ? 0 : -1;
        if (specificity <= bestSpecificity)
            continue;
        double q = 1;
        for (const QByteArray &parameter : parts.mid(1))
            if (parameter.trimmed().startsWith("q="))
                q = parameter.trimmed().mid(2).toDouble();
        bestSpecificity = specificity;
        best = q;
    }
    return best;
}

const char *formName(StatusReply::Form form)
{
    switch (form) {
    case StatusReply::Picture: return "picture";
    case StatusReply::Page: return "page";
    case StatusReply::Text: return "text";
    case StatusReply::Json: return "json";
    case StatusReply::Svg: return "svg";
    case StatusReply::Shields: return "shields";
    }
    return "";
}

} // namespace

StatusHttpServer::StatusHttpServer(bool servesStatus, const HttpContext &context, QObject *parent)
    : QAbstractHttpServer(parent), m_servesStatus(servesStatus), m_context(context)
{
}

bool StatusHttpServer::isNavigation(const QByteArray &fetchDestination, const QByteArray &accept)
{
    const QByteArray destination = fetchDestination.trimmed().toLower();
    if (destination == "document" || destination == "iframe" || destination == "frame")
        return true;
    if (!destination.isEmpty() && destination != "empty")
        return false;
    // No Accept prefers nothing: a picture. Most clients that are not
    // browsers send none, and weighing it took a twelfth of a request's time.
    if (accept.isEmpty())
        return false;
    return quality(accept, "text/html") > quality(accept, "image/png");
}

bool StatusHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    using Method = QHttpServerRequest::Method;
    HttpAnswer answer(socket, request.method() == Method::Head);
    const QHostAddress client = ClientAddress::of(socket->peerAddress(), request.value("x-forwarded-for"),
                                                  request.value("forwarded"), m_context.book.trustedProxies());
    // A proxy's connection carries many clients: each counts by its requests in hand.
    if (m_context.book.trustedProxies().contains(socket->peerAddress()) && !answer.holdFor(m_context.book, client)) {
        answer.text(429, "too many requests at once from one client");
        return true;
    }
    if (request.method() != Method::Get && request.method() != Method::Head) {
        answer.text(405, "only GET and HEAD are answered here", {{"Allow", "GET, HEAD"}});
        return true;
    }
    // The path as it came, still percent-encoded: "%2F" in an account must
    // not split it, and nothing may be decoded twice. The URL is made once:
    // making it is a tenth of a request's work.
    const QUrl url = request.url();
    const QString path = url.path(QUrl::FullyEncoded);
    // Status addresses first, the most asked for: no medium is named like
    // the folder of the pages, and an encoded medium is none.
    const qsizetype slash = path.indexOf(QLatin1Char('/'), 1);
    const Medium *medium = slash < 0 ? nullptr : Media::find(path.mid(1, slash - 1));
    if (m_servesStatus && medium) {
        answerStatus(answer, request, url, client, *medium, QUrl::fromPercentEncoding(path.mid(slash + 1).toLatin1()));
        return true;
    }
    if (answerOwnPaths(answer, path, client))
        return true;
    if (path == QLatin1String("/Msntv/badge.html")) {
        answerBadgePage(answer, request, url);
        return true;
    }
    if (const auto page = m_context.pages.page(QUrl::fromPercentEncoding(path.toLatin1()))) {
        const bool live = page->contentType.startsWith("text/html");
        HttpAnswer::Headers headers{{"Content-Type", page->contentType},
                                    {"Cache-Control", live ? "no-cache" : "max-age=3600"}};
        if (live)
            headers += {{"Content-Security-Policy", Pages::policy}, {"Referrer-Policy", "no-referrer"}};
        answer.send(200, headers, page->body);
        return true;
    }
    answer.text(404, "not found");
    return true;
}

void StatusHttpServer::answerStatus(const HttpAnswer &answer, const QHttpServerRequest &request, const QUrl &url,
                                    const QHostAddress &client, const Medium &medium, const QString &account)
{
    const QUrlQuery query = url.hasQuery() ? QUrlQuery(url) : QUrlQuery();
    const QString format = query.queryItemValue(QStringLiteral("format"));
    const bool navigation = isNavigation(request.value("sec-fetch-dest"), request.value("accept"));
    const auto form = StatusReply::form(format, navigation);
    const auto set = StatusReply::set(query.queryItemValue(QStringLiteral("set")));
    const auto theme = StatusBadge::theme(query.queryItemValue(QStringLiteral("theme")));
    if (!form || !set)
        return answer.text(400, "format is png, svg, shields, text or json, set is 1 to 4");
    if (!theme)
        return answer.text(400, "theme is light or dark, or left out to follow the reader's");
    const StatusReply::Choice choice{*form, *set, *theme, format.isEmpty(),
                                     StatusBadge::cacheSeconds(medium, m_context.ircCacheSeconds)};
    m_context.stats.countRequest(medium.name, QLatin1String(formName(*form)));
    ServerStats &stats = m_context.stats;
    const QByteArray ifNoneMatch = request.value("if-none-match");
    m_context.lookup.lookup(medium, account, client, [answer, choice, ifNoneMatch, &stats](const StatusAnswer &found) {
        const auto unchanged = [&](const QByteArray &tag) {
            const bool same = !ifNoneMatch.isEmpty() && EntityTag::matches(ifNoneMatch, tag);
            if (same)
                stats.countNotModified();
            return same;
        };
        // A picture's or a badge's answers are the same bytes every time: composed once.
        if (const StatusReply::Composed *composed = StatusReply::composedAnswer(found, choice)) {
            if (unchanged(composed->tag))
                return answer.sendComposed(composed->notModified);
            if (!answer.isHead())
                return answer.sendComposed(composed->whole);
        }
        const StatusReply reply = StatusReply::make(found, choice);
        if (unchanged(reply.tag))
            return answer.send(304, StatusReply::validators(reply, choice), {});
        answer.send(200, StatusReply::headers(reply, choice), reply.body);
    });
}

// The badge page of an account, its addresses on the status port of the
// Host the request came on.
void StatusHttpServer::answerBadgePage(const HttpAnswer &answer, const QHttpServerRequest &request, const QUrl &url)
{
    const QUrlQuery query = url.hasQuery() ? QUrlQuery(url) : QUrlQuery();
    const QString origin = BadgePage::origin(request.value("host"), m_servesStatus,
                                             m_context.statusPort ? m_context.statusPort() : 0);
    answer.send(200,
                {{"Content-Type", "text/html; charset=utf-8"}, {"Cache-Control", "no-cache"},
                 {"Content-Security-Policy", BadgePage::policy(origin)}, {"Referrer-Policy", "no-referrer"}},
                BadgePage::html(query.queryItemValue(QStringLiteral("account"), QUrl::FullyDecoded), origin));
}

// The paths of the server itself: the redirect to the legend, the health
// check of a load balancer, and the operator's metrics (this machine, or the
// networks the operator allowed, by the client's address behind a proxy).
bool StatusHttpServer::answerOwnPaths(const HttpAnswer &answer, const QString &path, const QHostAddress &client)
{
    if (path == QLatin1String("/") || path == QLatin1String("/Msntv")) {
        answer.send(302, {{"Location", "/Msntv/"}}, {});
        return true;
    }
    if (!m_servesStatus)
        return false;
    if (path == QLatin1String("/health")) {
        const QString store = m_context.store ? m_context.store().text() : QStringLiteral("none");
        answer.text(200, "ok\nstore " + store.toUtf8());
        return true;
    }
    if (path == QLatin1String("/metrics")) {
        if (!client.isLoopback() && !m_context.metricsAllowed.contains(client)) {
            answer.text(403, "metrics are for this machine and the networks allowed");
            return true;
        }
        const Metrics::Sources sources{m_context.stats, m_context.lookup, m_context.book, m_context.store};
        answer.send(200, {{"Content-Type", "text/plain; version=0.0.4; charset=utf-8"}, {"Cache-Control", "no-store"}},
                    Metrics::render(sources));
        return true;
    }
    return false;
}

void StatusHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    HttpAnswer(socket, request.method() == QHttpServerRequest::Method::Head).text(404, "not found");
}
