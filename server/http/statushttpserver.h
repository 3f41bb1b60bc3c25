#pragma once

#include "http/httpdoor.h"
#include "http/statusreply.h"
#include "service/statuslookup.h"
#include "model/storestatus.h"

#include <functional>
#include <memory>

class ComposedAnswers;
class ConnectionBook;
class HttpAnswer;
class NetworkList;
class Pages;
class ServerStats;
class QUrlQuery;
struct Medium;

// What the HTTP side of the server works with.
struct HttpContext
{
    StatusLookup &lookup;
    const Pages &pages;
    ServerStats &stats;
    ConnectionBook &book;
    // Who may read the metrics besides this machine.
    const NetworkList &metricsAllowed;
    // How the shared store stands; empty when the server runs without one.
    std::function<StoreStatus()> store;
    // How long an IRC answer is reused, in seconds (--cache-seconds).
    int ircCacheSeconds;
    // The port status addresses are served on (0: none), for the badge page.
    std::function<quint16()> statusPort;
    // How the Jabber account stands; empty when the server has none.
    std::function<QString()> jabber;
};

// Answers the HTTP requests of one listening port, GET and HEAD: the pages
// everywhere, and on the status port the status addresses
// "/<medium>/<account>" as a picture, as a page a browser shows, as text
// (?format=text), as JSON (?format=json), as a badge (?format=svg) or a
// shields-style endpoint's JSON (?format=shields), each revalidated by its
// ETag, and the badge page that writes their snippets everywhere; with
// /health for load balancers
// and /metrics for the operator. The account is everything after the
// medium, percent-decoded exactly once. Behind a trusted proxy each
// request's client is the one the proxy forwards for.
class StatusHttpServer : public HttpHandler
{
public:
    StatusHttpServer(bool servesStatus, const HttpContext &context);

    // Whether a request is a browser's navigation to the address as a page:
    // it says so (Sec-Fetch-Dest), or it prefers HTML to a picture (Accept).
    static bool isNavigation(const QByteArray &fetchDestination, const QByteArray &accept);

    bool answerAtOnce(HttpRequest &request, const HttpAnswer &answer) override;
    void answer(const HttpRequest &request, const HttpAnswer &answer) override;

private:
    bool answerOwnPaths(const HttpAnswer &answer, const HttpRequest &request);
    bool holdForProxiedClient(HttpAnswer &answer, const HttpRequest &request);
    void answerStatus(const HttpAnswer &answer, const HttpRequest &request, const Medium &medium,
                      const QString &account);
    std::optional<StatusReply::Choice> choiceOf(const HttpAnswer &answer, const HttpRequest &request,
                                                const Medium &medium) const;
    StatusLookup::Done replier(const HttpAnswer &answer, const HttpRequest &request,
                               const StatusReply::Choice &choice) const;
    void answerBadgePage(const HttpAnswer &answer, const HttpRequest &request);

    bool m_servesStatus;
    HttpContext m_context;
    // Shared with the lookups in flight, which may answer after the server.
    std::shared_ptr<ComposedAnswers> m_composed;
};
