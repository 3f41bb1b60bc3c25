#pragma once

#include "model/reason.h"

#include <QDateTime>

// What is known of one account: its status, and why it is unknown when it is.
struct Presence
{
    enum Status { Online, Away, Offline, Unknown };

    Status status = Unknown;
    Reason reason = Reason::None; // None unless unknown
    QString about;                // fills a reason whose wording names someone
    bool cached = false;          // answered from what was learnt a moment ago
    bool shared = false;          // learnt by another instance of a cluster
    // Since when the status has held, where this server saw it change (a
    // network pushed it, or two checks differed); invalid when it has not.
    QDateTime since;
    // What the contact herself says with her status (Jabber only), as she
    // shared it, cut to maxMessageCharacters; never shown in a picture.
    QString message;

    static inline constexpr int maxMessageCharacters = 140;

    static Presence unknown(Reason why, const QString &about = {});
    static Presence known(Status status, bool cached = false, const QDateTime &since = {});

    // "online", "away", "offline" or "unknown".
    static QString statusName(Status status);
    // The reason in words; empty when the status is known.
    QString reasonText() const;
};
