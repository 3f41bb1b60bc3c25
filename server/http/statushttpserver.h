#pragma once

#include <QAbstractHttpServer>
#include <memory>

class Pages;
class StatusLookup;
class QHttpServerResponder;

// Answers the HTTP requests of one listening port: the pages everywhere,
// and on the status port the status addresses "/<medium>/<account>" as a
// picture, as text (?format=text) or as JSON (?format=json). The account is
// everything after the medium, percent-decoded exactly once.
class StatusHttpServer : public QAbstractHttpServer
{
    Q_OBJECT

public:
    StatusHttpServer(bool servesStatus, StatusLookup &lookup, const Pages &pages, QObject *parent = nullptr);

    // Every answer carries these; status answers also forbid caching.
    static const QByteArray noSniff;
    static const QByteArray pagePolicy;

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    void answerStatus(const std::shared_ptr<QHttpServerResponder> &responder, const QHttpServerRequest &request,
                      QTcpSocket *socket, const QString &medium, const QString &account);

    bool m_servesStatus;
    StatusLookup &m_lookup;
    const Pages &m_pages;
};
