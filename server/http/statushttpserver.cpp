#include "http/statushttpserver.h"

#include "http/answerheaders.h"
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

#include <QUrl>
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

// The medium a status address names; the path as it came, still
// percent-encoded: no medium is named like the folder of the pages, and an
// encoded medium is none. Found once a request.
const Medium *mediumOf(const QByteArray &path)
{
    const qsizetype slash = path.indexOf('/', 1);
    return slash < 0 ? nullptr : Media::find(QString::fromLatin1(path.mid(1, slash - 1)));
}

// The account: everything after the medium, decoded once ("%2F" in it must
// not split it, and nothing may be decoded twice).
QString accountOf(const QByteArray &path)
{
    return QUrl::fromPercentEncoding(path.mid(path.indexOf('/', 1) + 1));
}

} // namespace

StatusHttpServer::StatusHttpServer(bool servesStatus, const HttpContext &context)
    : m_servesStatus(servesStatus), m_context(context), m_composed(std::make_shared<ComposedAnswers>())
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

// What needs nothing the event loop owns, on the door's thread: refusals of
// a method or a query, and every form of the answers the lookup gives at
// once (a closed network's, one a checker gave a moment ago), which a
// picture's or a badge's kept answer mostly is.
bool StatusHttpServer::answerAtOnce(HttpRequest &request, const HttpAnswer &given)
{
    if (request.method != "GET" && request.method != "HEAD") {
        given.text(405, "only GET and HEAD are answered here", {{"Allow", "GET, HEAD"}});
        return true;
    }
    request.medium = mediumOf(request.path);
    request.mediumLooked = true;
    if (!m_servesStatus || !request.medium)
        return false;
    HttpAnswer answer = given;
    if (!holdForProxiedClient(answer, request))
        return true;
    const auto choice = choiceOf(answer, request, *request.medium);
    return !choice
           || m_context.lookup.lookupAtOnce(*request.medium, accountOf(request.path), replier(answer, request, *choice));
}

// A proxy's connection carries many clients: each counts by its requests in
// hand. False, and the refusal sent, when the client has all it may.
bool StatusHttpServer::holdForProxiedClient(HttpAnswer &answer, const HttpRequest &request)
{
    if (!m_context.book.trustedProxies().contains(request.peer) || answer.holdFor(m_context.book, request.client))
        return true;
    answer.text(429, "too many requests at once from one client");
    return false;
}

void StatusHttpServer::answer(const HttpRequest &request, const HttpAnswer &given)
{
    HttpAnswer answer = given;
    if (!holdForProxiedClient(answer, request))
        return;
    // Status addresses first, the most asked for.
    const Medium *medium = request.mediumLooked ? request.medium : mediumOf(request.path);
    if (m_servesStatus && medium)
        return answerStatus(answer, request, *medium, accountOf(request.path));
    if (answerOwnPaths(answer, request))
        return;
    if (request.path == "/Msntv/badge.html")
        return answerBadgePage(answer, request);
    if (const auto page = m_context.pages.page(QUrl::fromPercentEncoding(request.path))) {
        const bool live = page->contentType.startsWith("text/html");
        return answer.send(200, live ? AnswerHeaders::page(Pages::policy) : AnswerHeaders::asset(page->contentType),
                           page->body);
    }
    answer.text(404, "not found");
}

namespace {

QUrlQuery queryOf(const HttpRequest &request)
{
    return request.hasQuery ? QUrlQuery(QString::fromLatin1(request.query)) : QUrlQuery();
}

} // namespace

// What a status request asks for; nothing, and the refusal sent, when its
// query names something that does not exist.
std::optional<StatusReply::Choice> StatusHttpServer::choiceOf(const HttpAnswer &answer, const HttpRequest &request,
                                                              const Medium &medium) const
{
    const QUrlQuery query = queryOf(request);
    const QString format = query.queryItemValue(QStringLiteral("format"));
    const bool navigation = isNavigation(request.value("sec-fetch-dest"), request.value("accept"));
    const auto form = StatusReply::form(format, navigation);
    const auto set = StatusReply::set(query.queryItemValue(QStringLiteral("set")));
    const auto theme = StatusBadge::theme(query.queryItemValue(QStringLiteral("theme")));
    if (!form || !set) {
        answer.text(400, "format is png, svg, shields, text or json, set is 1 to 4");
        return std::nullopt;
    }
    if (!theme) {
        answer.text(400, "theme is light or dark, or left out to follow the reader's");
        return std::nullopt;
    }
    return StatusReply::Choice{*form, *set, *theme, format.isEmpty(),
                               StatusBadge::cacheSeconds(medium, m_context.ircCacheSeconds)};
}

// Answers the lookup's answer in the form chosen, on whichever thread it comes.
StatusLookup::Done StatusHttpServer::replier(const HttpAnswer &answer, const HttpRequest &request,
                                             const StatusReply::Choice &choice) const
{
    return [answer, choice, ifNoneMatch = request.value("if-none-match"), &stats = m_context.stats,
            composed = m_composed](const StatusAnswer &found) {
        stats.countRequest(found.medium, int(choice.form));
        const auto unchanged = [&](const QByteArray &tag) {
            const bool same = !ifNoneMatch.isEmpty() && EntityTag::matches(ifNoneMatch, tag);
            if (same)
                stats.countNotModified();
            return same;
        };
        // A picture's or a badge's answers are the same bytes every time: composed once.
        if (const auto kept = composed->find(found, choice))
            return answer.sendReady(unchanged(kept->tag) ? kept->notModified : kept->whole);
        const StatusReply reply = StatusReply::make(found, choice);
        if (unchanged(reply.tag))
            return answer.send(304, StatusReply::validators(reply, choice), reply.body);
        answer.send(200, StatusReply::headers(reply, choice), reply.body);
    };
}

void StatusHttpServer::answerStatus(const HttpAnswer &answer, const HttpRequest &request, const Medium &medium,
                                    const QString &account)
{
    if (const auto choice = choiceOf(answer, request, medium))
        m_context.lookup.lookup(medium, account, request.client, replier(answer, request, *choice));
}

// The badge page of an account, its addresses on the status port of the
// Host the request came on.
void StatusHttpServer::answerBadgePage(const HttpAnswer &answer, const HttpRequest &request)
{
    const QUrlQuery query = queryOf(request);
    // Behind a trusted proxy that speaks HTTPS the addresses are its.
    const bool secure = m_context.book.trustedProxies().contains(request.peer)
                        && request.value("x-forwarded-proto").trimmed().compare("https", Qt::CaseInsensitive) == 0;
    const QString origin = BadgePage::origin(request.value("host"), m_servesStatus,
                                             m_context.statusPort ? m_context.statusPort() : 0, secure);
    answer.send(200, AnswerHeaders::page(BadgePage::policy(origin)),
                BadgePage::html(query.queryItemValue(QStringLiteral("account"), QUrl::FullyDecoded), origin));
}

// The paths of the server itself: the redirect to the legend, the health
// check of a load balancer, and the operator's metrics (this machine, or the
// networks the operator allowed, by the client's address behind a proxy).
bool StatusHttpServer::answerOwnPaths(const HttpAnswer &answer, const HttpRequest &request)
{
    const QByteArray &path = request.path;
    const QHostAddress &client = request.client;
    if (path == "/" || path == "/Msntv") {
        answer.send(302, {{"Location", "/Msntv/"}}, {});
        return true;
    }
    if (!m_servesStatus)
        return false;
    if (path == "/health") {
        const QString store = m_context.store ? m_context.store().text() : QStringLiteral("none");
        const QString jabber = m_context.jabber ? QStringLiteral("\njabber ") + m_context.jabber() : QString();
        answer.text(200, "ok\nstore " + store.toUtf8() + jabber.toUtf8());
        return true;
    }
    if (path == "/metrics") {
        if (!client.isLoopback() && !m_context.metricsAllowed.contains(client)) {
            answer.text(403, "metrics are for this machine and the networks allowed");
            return true;
        }
        const Metrics::Sources sources{m_context.stats, m_context.lookup, m_context.book, m_context.store};
        answer.send(200, AnswerHeaders::metrics(),
                    Metrics::render(sources));
        return true;
    }
    return false;
}
