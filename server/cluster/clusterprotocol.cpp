#include "cluster/clusterprotocol.h"

#include <QList>

namespace ClusterProtocol {

const QByteArray prefix = QByteArrayLiteral("quorvane:v2:");

const QByteArray claimScript = QByteArrayLiteral(
    "if redis.call('SET', KEYS[1], ARGV[1], 'NX', 'PX', ARGV[2]) then return ARGV[1] end "
    "return redis.call('GET', KEYS[1])");
const QByteArray renewScript = QByteArrayLiteral(
    "local holder = redis.call('GET', KEYS[1]) "
    "if holder == ARGV[1] then return redis.call('PEXPIRE', KEYS[1], ARGV[2]) end "
    "if not holder then redis.call('SET', KEYS[1], ARGV[1], 'PX', ARGV[2]) return 1 end "
    "return 0");
const QByteArray releaseScript = QByteArrayLiteral(
    "if redis.call('GET', KEYS[1]) == ARGV[1] then return redis.call('DEL', KEYS[1]) end return 0");

QByteArray askChannel()
{
    return prefix + "ask:irc";
}

QByteArray answerChannel()
{
    return prefix + "answer:irc";
}

QByteArray presenceKey(const QString &network, const QByteArray &foldedNick)
{
    return prefix + "presence:irc:" + network.toUtf8() + ':' + foldedNick;
}

QByteArray leaseKey(const QString &network)
{
    return prefix + "lease:irc:" + network.toUtf8();
}

QByteArray countersKey()
{
    return prefix + "counters";
}

QByteArray instancesKey()
{
    return prefix + "instances";
}

QByteArray encodePresence(const Presence &presence)
{
    QByteArray text = Presence::statusName(presence.status).toLatin1();
    // A known status with since when it held, in milliseconds since 1970.
    if (presence.status != Presence::Unknown && presence.since.isValid())
        text += ' ' + QByteArray::number(presence.since.toMSecsSinceEpoch());
    if (presence.status == Presence::Unknown) {
        text += ' ' + Reasons::name(presence.reason);
        if (!presence.about.isEmpty())
            text += ' ' + presence.about.toUtf8();
    }
    return text;
}

std::optional<Presence> decodePresence(const QByteArray &text)
{
    const qsizetype space = text.indexOf(' ');
    const QByteArray word = space < 0 ? text : text.left(space);
    for (const Presence::Status known : {Presence::Online, Presence::Away, Presence::Offline}) {
        if (word != Presence::statusName(known).toLatin1())
            continue;
        if (space < 0)
            return Presence::known(known);
        bool number = false;
        const qint64 since = text.mid(space + 1).toLongLong(&number);
        // From the start of 1970 to the year 9999: a time, not garbage.
        if (!number || since < 0 || since > 253'402'300'799'999)
            return std::nullopt;
        return Presence::known(known, false, QDateTime::fromMSecsSinceEpoch(since, Qt::UTC));
    }
    if (!text.startsWith("unknown "))
        return std::nullopt;
    // The reason's name, then what it is about (which may hold spaces).
    const QList<QByteArray> fields = text.split(' ');
    const std::optional<Reason> reason = Reasons::named(fields.at(1));
    if (!reason)
        return std::nullopt;
    const qsizetype aboutAt = qsizetype(qstrlen("unknown ")) + fields.at(1).size() + 1;
    return Presence::unknown(*reason, fields.size() > 2 ? QString::fromUtf8(text.mid(aboutAt)) : QString());
}

QByteArray encodeAsk(const Ask &ask)
{
    return ask.network.toUtf8() + '\n' + ask.account.toUtf8() + '\n' + ask.client.toUtf8();
}

std::optional<Ask> decodeAsk(const QByteArray &payload)
{
    const QList<QByteArray> fields = payload.split('\n');
    if (fields.size() != 3 || fields.at(0).isEmpty() || fields.at(1).isEmpty())
        return std::nullopt;
    return Ask{QString::fromUtf8(fields.at(0)), QString::fromUtf8(fields.at(1)), QString::fromUtf8(fields.at(2))};
}

QByteArray encodeAnswer(const QByteArray &key, const Presence &presence)
{
    return key + '\n' + encodePresence(presence);
}

std::optional<Answer> decodeAnswer(const QByteArray &payload)
{
    const qsizetype newline = payload.indexOf('\n');
    if (newline <= 0)
        return std::nullopt;
    const std::optional<Presence> presence = decodePresence(payload.mid(newline + 1));
    if (!presence)
        return std::nullopt;
    return Answer{payload.left(newline), *presence};
}

} // namespace ClusterProtocol
