#pragma once

#include "model/presence.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What the instances of a cluster write to the store and say on its
// channels: one place for every key, channel, script and encoding, so that
// two versions of the server side by side on one store (a rolling upgrade)
// either understand each other or keep out of each other's way.
//
// Every key and channel begins with the protocol's version; a change that
// older instances would misread takes a new version. A presence travels by
// its status's and reason's names, never by their numbers, so a reason
// added later is at worst one an older instance cannot decode: it ignores
// that entry or message, counts it, and asks for itself.
namespace ClusterProtocol {

// "quorvane:v2:"
extern const QByteArray prefix;

// The channel lookups are handed over on, and the one their answers come back on.
QByteArray askChannel();
QByteArray answerChannel();

// The shared answer of a nick on a network (the network as IrcPresence names it).
QByteArray presenceKey(const QString &network, const QByteArray &foldedNick);
// The lease of the instance that holds a network's connection.
QByteArray leaseKey(const QString &network);
// The cluster's counters, and the instances alive with when each was last heard.
QByteArray countersKey();
QByteArray instancesKey();

// Lease scripts, run atomically by the store. Claim: KEYS[1] the lease,
// ARGV[1] the instance, ARGV[2] the lease time; answers who holds it now.
extern const QByteArray claimScript;
// Renew: 1 when this instance still holds it (or took it again after the
// store lost it), 0 when another does.
extern const QByteArray renewScript;
// Release: gives it back if it is still this instance's.
extern const QByteArray releaseScript;

// "online", "away", "offline", or "unknown NoAnswerInTime[ about]".
QByteArray encodePresence(const Presence &presence);
std::optional<Presence> decodePresence(const QByteArray &text);

// A lookup handed over to a network's holder: the network, the account
// asked for, and the client who asked (the holder counts the network
// against that client while it is new).
struct Ask
{
    QString network;
    QString account;
    QString client;
};
QByteArray encodeAsk(const Ask &ask);
std::optional<Ask> decodeAsk(const QByteArray &payload);

// The holder's answer: the shared key it answers, and the presence.
struct Answer
{
    QByteArray key;
    Presence presence;
};
QByteArray encodeAnswer(const QByteArray &key, const Presence &presence);
std::optional<Answer> decodeAnswer(const QByteArray &payload);

} // namespace ClusterProtocol
