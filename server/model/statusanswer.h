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
    QString inWords() const;
    // Whose answer it is, without the answer: "alice on irc.libera.chat".
    QString who() const;
};
