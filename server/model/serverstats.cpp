#include "model/serverstats.h"

void ServerStats::countLookup(const QString &medium, bool cached)
{
    ++m_lookups[medium];
    if (cached)
        ++m_cacheHits;
}
