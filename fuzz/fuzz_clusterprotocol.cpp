// What another instance of a cluster writes to the store or says on its
// channels, as this one reads it: an answer, a hand-over and a presence. What
// decodes encodes to bytes that decode to the same again, so nothing an
// instance passes on changes on the way.
#include "cluster/clusterprotocol.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool same(const Presence &a, const Presence &b)
{
    return a.status == b.status && a.reason == b.reason && a.about == b.about;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto presence = ClusterProtocol::decodePresence(bytes)) {
        const auto again = ClusterProtocol::decodePresence(ClusterProtocol::encodePresence(*presence));
        if (!again || !same(*again, *presence))
            abort();
    }
    if (const auto ask = ClusterProtocol::decodeAsk(bytes)) {
        const auto again = ClusterProtocol::decodeAsk(ClusterProtocol::encodeAsk(*ask));
        if (!again || again->network != ask->network || again->account != ask->account || again->client != ask->client)
            abort();
    }
    if (const auto answer = ClusterProtocol::decodeAnswer(bytes)) {
        const auto again = ClusterProtocol::decodeAnswer(ClusterProtocol::encodeAnswer(answer->key, answer->presence));
        if (!again || again->key != answer->key || !same(again->presence, answer->presence))
            abort();
    }
    return 0;
}
