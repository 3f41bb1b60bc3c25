#pragma once

#include <QAbstractHttpServer>

class HttpAnswer;
class Pages;
class StatusLookup;
struct Medium;

// Answers the HTTP requests of one listening port, GET and HEAD: the pages
// everywhere, and on the status port the status addresses
// "/<medium>/<account>" as a picture, as a page a browser shows, as text
// (?format=text) or as JSON (?format=json). The account is everything after
// the medium, percent-decoded exactly once.
class StatusHttpServer : public QAbstractHttpServer
{
    Q_OBJECT

public:
    StatusHttpServer(bool servesStatus, StatusLookup &lookup, const Pages &pages, QObject *parent = nullptr);

    // Whether a request is a browser's navigation to the address as a page:
    // it says so (Sec-Fetch-Dest), or it prefers HTML to a picture (Accept).
    static bool isNavigation(const QByteArray &fetchDestination, const QByteArray &accept);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    void answerStatus(const HttpAnswer &answer, const QHttpServerRequest &request, const Medium &medium,
                      const QString &account);

    bool m_servesStatus;
    StatusLookup &m_lookup;
    const Pages &m_pages;
};
