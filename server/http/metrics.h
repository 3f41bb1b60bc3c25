#pragma once

#include <QByteArray>
#include "model/storestatus.h"

#include <functional>

class ConnectionBook;
class ServerStats;
class StatusLookup;

// The operator's metrics, in the Prometheus text format: what this instance
// answered (by medium and form), where answers came from (near and shared
// cache), busy answers, answers not modified, connections turned away by limit, and each checker's
// counters and connections (state, mechanism, holder); the store's state
// when there is one.
namespace Metrics {

struct Sources
{
    const ServerStats &stats;
    const StatusLookup &lookup;
    const ConnectionBook &book;
    // How the shared store stands; nothing when the server runs without one.
    std::function<StoreStatus()> store;
};

QByteArray render(const Sources &sources);

} // namespace Metrics
