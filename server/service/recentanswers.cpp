#include "service/recentanswers.h"

#include <QDeadlineTimer>

#include <atomic>

namespace {

qint64 now()
{
    return QDeadlineTimer::current().deadline();
}

} // namespace

RecentAnswers::RecentAnswers(QObject *parent) : QObject(parent), m_published(std::make_shared<const Snapshot>())
{
    m_publishing.setSingleShot(true);
    m_publishing.setInterval(publishMs);
    connect(&m_publishing, &QTimer::timeout, this, &RecentAnswers::publish);
}

QString RecentAnswers::key(const QString &medium, const QString &account)
{
    return medium + QLatin1Char('/') + account;
}

void RecentAnswers::remember(const StatusAnswer &answer)
{
    if (answer.presence.status == Presence::Unknown)
        return; // why an answer is unknown may depend on who asked
    if (m_next.size() >= maxAnswers && !m_next.contains(key(answer.medium, answer.account)))
        return;
    m_next.insert(key(answer.medium, answer.account), {answer, now() + keepMs});
    if (!m_publishing.isActive() || m_publishing.remainingTime() > publishMs)
        m_publishing.start(publishMs);
}

void RecentAnswers::publish()
{
    const qint64 at = now();
    for (auto kept = m_next.begin(); kept != m_next.end();)
        kept = kept->until <= at ? m_next.erase(kept) : std::next(kept);
    std::atomic_store(&m_published, std::make_shared<const Snapshot>(m_next));
    // Look again when the youngest would have gone.
    if (!m_next.isEmpty())
        m_publishing.start(keepMs);
}

std::optional<StatusAnswer> RecentAnswers::find(const QString &medium, const QString &account) const
{
    const std::shared_ptr<const Snapshot> snapshot = std::atomic_load(&m_published);
    const auto found = snapshot->constFind(key(medium, account));
    if (found == snapshot->cend() || found->until <= now())
        return std::nullopt;
    return found->answer;
}
