#pragma once

#include <QString>
#include <optional>

// A person's Jabber address, "local@domain", as a status address names it
// and as the server's own account is given. Both parts are kept in lower
// case, as XMPP servers compare them; a resource ("/phone") is refused,
// since presence is answered for the person and not for one of her clients.
struct JabberId
{
    QString local;
    QString domain;

    // Every part of an address at most this many bytes in UTF-8 (RFC 7622).
    static constexpr int maxPartBytes = 1023;

    // "local@domain".
    QString bare() const { return local + QLatin1Char('@') + domain; }

    // The address checked: a local part without spaces, controls or any of
    // "&'/:<>@, a domain of names or an IP address, no resource; nothing
    // for anything else.
    static std::optional<JabberId> parse(const QString &text);
};
