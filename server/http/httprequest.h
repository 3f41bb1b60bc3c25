#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>

struct Medium;

// One request as the door read it: its method, its target exactly as it
// came (still percent-encoded, split into path and query), the header lines
// the server reads, the connection's peer and the client it is for (behind
// a trusted proxy, the one the proxy forwards for).
struct HttpRequest
{
    QByteArray method;
    QByteArray path;  // "/irc/nick@host", encoded as sent
    QByteArray query; // after the '?', encoded as sent; empty for none
    bool hasQuery = false;
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case
    QHostAddress peer;
    QHostAddress client;
    // The medium its path names, once the handler looked (found once a request).
    bool mediumLooked = false;
    const Medium *medium = nullptr;

    // The value of a header (its first line), or empty.
    QByteArray value(const char *lowerCaseName) const
    {
        for (const auto &[name, value] : headers)
            if (name == lowerCaseName)
                return value;
        return {};
    }
};
