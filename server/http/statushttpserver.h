#pragma once

#include <QAbstractHttpServer>
#include "model/storestatus.h"

#include <functional>

class ConnectionBook;
class HttpAnswer;
class NetworkList;
class Pages;
class ServerStats;
class StatusLookup;
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
};

// Answers the HTTP requests of one listening port, GET and HEAD: the pages
// everywhere, and on the status port the status addresses
// "/<medium>/<account>" as a picture, as a page a browser shows, as text
// (?format=text) or as JSON (?format=json), with /health for load balancers
// and /metrics for the operator. The account is everything after the
// medium, percent-decoded exactly once. Behind a trusted proxy each
// request's client is the one the proxy forwards for.
class StatusHttpServer : public QAbstractHttpServer
{
    Q_OBJECT

public:
    StatusHttpServer(bool servesStatus, const HttpContext &context, QObject *parent = nullptr);

    // Whether a request is a browser's navigation to the address as a page:
    // it says so (Sec-Fetch-Dest), or it prefers HTML to a picture (Accept).
    static bool isNavigation(const QByteArray &fetchDestination, const QByteArray &accept);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    bool answerOwnPaths(const HttpAnswer &answer, const QString &path, const QHostAddress &client);
    void answerStatus(const HttpAnswer &answer, const QHttpServerRequest &request, const QHostAddress &client,
                      const Medium &medium,
                      const QString &account);

    bool m_servesStatus;
    HttpContext m_context;
};
