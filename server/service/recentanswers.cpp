#include "service/recentanswers.h"

#include <QDeadlineTimer>

#include <atomic>

namespace {

qint64 now()
{
    return QDeadlineTimer::current().deadline();
}

} // namespace

RecentAnswers::RecentAnswers() : m_published(std::make_shared<const Snapshot>())
{
}

QString RecentAnswers::key(const QString &medium, const QString &account)
{
    return medium + QLatin1Char('/') + account;
}

void RecentAnswers::remember(const StatusAnswer &answer)
{
    if (answer.presence.status == Presence::Unknown)
        return; // why an answer is unknown may depend on who asked
    const qint64 at = now();
    const QString asked = key(answer.medium, answer.account);
    if (m_next.size() >= maxAnswers && !m_next.contains(asked))
        forgetGone(at); // room of what has gone
    if (m_next.size() < maxAnswers || m_next.contains(asked))
        m_next.insert(asked, {answer, at + keepMs});
    if (at - m_publishedAt >= publishMs)
        publish(at);
}

void RecentAnswers::forgetGone(qint64 at)
{
    for (auto kept = m_next.begin(); kept != m_next.end();)
        kept = kept->until <= at ? m_next.erase(kept) : std::next(kept);
}

void RecentAnswers::publish(qint64 at)
{
    forgetGone(at);
    std::atomic_store(&m_published, std::make_shared<const Snapshot>(m_next));
    m_publishedAt = at;
}

std::optional<StatusAnswer> RecentAnswers::find(const QString &medium, const QString &account) const
{
    const std::shared_ptr<const Snapshot> snapshot = std::atomic_load(&m_published);
    const auto found = snapshot->constFind(key(medium, account));
    if (found == snapshot->cend() || found->until <= now())
        return std::nullopt;
    return found->answer;
}
