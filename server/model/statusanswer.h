#pragma once

#include "model/presence.h"

#include <QDateTime>
#include <QString>

// The answer to one status address: which medium and account were asked
// about, what is known of it, and when.
struct StatusAnswer
{
    QString medium;  // the medium's name, also when the address used an alias
    QString account; // as decoded from the address
    Presence presence;
    QDateTime checked; // UTC

    // The answer as a sentence, for people and screen readers:
    // "alice on irc.libera.chat: online", "bob@hotmail.com on MSN: unknown,
    // network closed".
    // Since when it has held, where the server saw it change: "alice on
    // irc.libera.chat: away for 20 minutes", "... offline since 09:14 UTC".
    QString inWords() const;
    // Since when in words, after the status ("for 20 minutes", "since 09:14
    // UTC"); empty when the server has not seen the status change.
    QString heldInWords() const;
    // Whose answer it is, without the answer: "alice on irc.libera.chat".
    QString who() const;
};
