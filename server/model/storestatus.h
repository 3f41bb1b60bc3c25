#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// How the shared store of a cluster stands, for the health check and the
// metrics: up, or down and why in the store's own terms ("wrong password",
// "database 99 refused", "no reply within 500 ms"), and the errors its
// commands met, by kind.
struct StoreStatus
{
    bool up = false;
    QString why; // empty while up
    QList<QPair<QByteArray, qint64>> errors; // by kind: "READONLY", "NOSCRIPT", ...

    // "up", or "down: wrong password".
    QString text() const { return up ? QStringLiteral("up") : QStringLiteral("down: ") + why; }
};
