#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

// One HTTP GET on the loopback address, waited for (at most the timeout),
// with the time it took.
struct HttpFetch
{
    int status = 0; // 0: no answer
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    qint64 elapsedMs = 0;

    QByteArray header(const QByteArray &name) const;

    using Headers = QList<QPair<QByteArray, QByteArray>>;

    // The address as given, percent-encoded already where it must be, with
    // these request headers besides Qt's own.
    static HttpFetch get(const QByteArray &encodedUrl, int timeoutMs = 20'000, const Headers &requestHeaders = {});
};
