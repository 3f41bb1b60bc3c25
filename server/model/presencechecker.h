#pragma once

#include "model/presence.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

// Checks accounts of one live medium. Each network or account the checker
// holds a connection for is one row of the status page.
class PresenceChecker
{
public:
    using Done = std::function<void(const Presence &)>;

    struct Row
    {
        QString name;      // the network or account
        QString state;     // "connected", "reconnecting in 4 s"
        QString mechanism; // how presence is learnt there, e.g. "ISON"
        int waiting = 0;   // lookups waiting for it
        QString holder;    // which instance of a cluster holds its connection; empty for this one
    };

    virtual ~PresenceChecker() = default;

    // Checks the account as it stands after the medium in the address, for
    // the client who asked (as the server sees it: behind a trusted proxy,
    // the address it forwarded; null for no one in particular), and calls
    // done exactly once: at once, or when the network answers, or as
    // unknown when the answer bound passes first.
    virtual void check(const QString &account, const QHostAddress &client, const Done &done) = 0;

    // The connections held now, for the status page.
    virtual QList<Row> rows() const = 0;
    // What the checker counts for the operator's metrics: a name of the form
    // "quorvane_irc_lines_total{command=\"ISON\"}" and its value.
    virtual QList<QPair<QByteArray, qint64>> counters() const { return {}; }

    // How many connections the checker may hold, and whether all are in use.
    virtual int capacity() const = 0;
    virtual bool full() const = 0;
};
