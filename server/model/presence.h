#pragma once

#include "model/reason.h"

// What is known of one account: its status, and why it is unknown when it is.
struct Presence
{
    enum Status { Online, Away, Offline, Unknown };

    Status status = Unknown;
    Reason reason = Reason::None; // None unless unknown
    QString about;                // fills a reason whose wording names someone
    bool cached = false;          // answered from what was learnt a moment ago
    bool shared = false;          // learnt by another instance of a cluster

    static Presence unknown(Reason why, const QString &about = {}) { return {Unknown, why, about, false, false}; }
    static Presence known(Status status, bool cached = false) { return {status, Reason::None, {}, cached, false}; }

    // "online", "away", "offline" or "unknown".
    static QString statusName(Status status);
    // The reason in words; empty when the status is known.
    QString reasonText() const;
};
