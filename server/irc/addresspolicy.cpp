#include "irc/addresspolicy.h"

namespace {

// Ranges that are not the public internet (IANA special-purpose registries).
const NetworkList &refusedRanges()
{
    static const NetworkList ranges{
        "0.0.0.0/8",      "10.0.0.0/8",      "100.64.0.0/10",  "127.0.0.0/8",    "169.254.0.0/16",
        "172.16.0.0/12",  "192.0.0.0/24",    "192.0.2.0/24",   "192.88.99.0/24", "192.168.0.0/16",
        "198.18.0.0/15",  "198.51.100.0/24", "203.0.113.0/24", "224.0.0.0/4",    "240.0.0.0/4",
        "::/128",         "::1/128",         "::/96",          "100::/64",       "2001::/23",
        "2001:db8::/32",  "2002::/16",       "3fff::/20",      "5f00::/16",      "fc00::/7",
        "fe80::/10",      "fec0::/10",       "ff00::/8",
    };
    return ranges;
}

} // namespace

bool AddressPolicy::allows(const QHostAddress &address) const
{
    if (address.isNull())
        return false;
    if (m_allowed.contains(address))
        return true;
    return !refusedRanges().contains(address);
}
