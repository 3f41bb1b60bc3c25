#include "model/serverstats.h"

void ServerStats::countLookup(const QString &medium, Cache cache, bool busy)
{
    ++m_lookups[medium];
    m_nearHits += cache == Cache::Near;
    m_sharedHits += cache == Cache::Shared;
    m_busy += busy;
}
