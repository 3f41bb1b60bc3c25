#include "model/serverstats.h"

void ServerStats::countLookup(const QString &medium, Cache cache, Reason reason)
{
    ++m_lookups[medium];
    m_nearHits += cache == Cache::Near;
    m_sharedHits += cache == Cache::Shared;
    if (reason != Reason::None)
        ++m_unknown[reason];
}
