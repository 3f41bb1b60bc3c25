#pragma once

#include "model/statusanswer.h"

#include <QHash>
#include <memory>
#include <optional>

// The definite answers of live media (online, away, offline) the event loop
// gave a moment ago, for the doors' threads: they answer the many requests
// for a hot account from here without waking the event loop. What the
// event loop learns is published as a new read-only snapshot, at most every
// publishMs (what comes between waits for the next answer; until then the
// doors ask the event loop, which answers from its checkers); a snapshot is
// never changed, only replaced, so any thread reads it without a lock. An
// answer is kept keepMs: a change a network pushes reaches the doors that
// much later at most.
class RecentAnswers
{
public:
    static constexpr int keepMs = 1'000;
    static constexpr int publishMs = 50;
    // Accounts kept at once; past it new ones wait for room.
    static constexpr int maxAnswers = 4'096;

    RecentAnswers();

    // In the event loop: an answer just given.
    void remember(const StatusAnswer &answer);
    // On any thread: the answer, if one was given lately.
    std::optional<StatusAnswer> find(const QString &medium, const QString &account) const;

private:
    struct Kept
    {
        StatusAnswer answer;
        qint64 until; // ms on the steady clock
    };
    using Snapshot = QHash<QString, Kept>;
    static QString key(const QString &medium, const QString &account);
    void forgetGone(qint64 at);
    void publish(qint64 at);

    std::shared_ptr<const Snapshot> m_published; // read and replaced atomically
    Snapshot m_next;                             // the event loop's
    qint64 m_publishedAt = 0;
};
