#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Where the store of a cluster is: "redis://host:port/db" or "unix:/path"
// (with "?db=N"), checked before anything connects. The password is never
// part of it: it comes from a file, so that it is not on a command line.
struct StoreAddress
{
    QString host;       // a host name or IP literal, without brackets
    quint16 port = 6379;
    QString unixPath;   // set for a local socket instead of host and port
    int database = 0;
    QByteArray password;

    // The address, or nothing and why not.
    static std::optional<StoreAddress> parse(const QString &url, QString *why = nullptr);
    // For logs and pages: the address without the password.
    QString display() const;
};
