#include "httpfetch.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>

QByteArray HttpFetch::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

HttpFetch HttpFetch::get(const QByteArray &encodedUrl, int timeoutMs, const Headers &requestHeaders)
{
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy); // loopback only, whatever the environment says
    QNetworkRequest request(QUrl::fromEncoded(encodedUrl, QUrl::StrictMode));
    request.setTransferTimeout(timeoutMs);
    for (const auto &[name, value] : requestHeaders)
        request.setRawHeader(name, value);
    QElapsedTimer clock;
    clock.start();
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    HttpFetch fetch;
    fetch.elapsedMs = clock.elapsed();
    fetch.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    fetch.body = reply->readAll();
    fetch.headers = reply->rawHeaderPairs();
    reply->abort();
    delete reply;
    return fetch;
}
