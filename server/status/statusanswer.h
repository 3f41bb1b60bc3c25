#pragma once

#include <QDateTime>
#include <QString>

// The answer to one status address: which medium and account were asked
// about, what is known of it, when, and why it is unknown when it is.
struct StatusAnswer
{
    enum Status { Online, Offline, Unknown };

    QString medium;  // "msn", "aim", "yahoo", "icq" or "irc"
    QString account; // as decoded from the address
    Status status = Unknown;
    QDateTime checked; // UTC
    QString reason;    // empty unless unknown
    bool cached = false;

    static QString statusName(Status status);
};
