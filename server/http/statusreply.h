#pragma once

#include "http/httpanswer.h"
#include "http/statusbadge.h"
#include "model/statusanswer.h"

#include <QByteArray>
#include <QHash>
#include <QReadWriteLock>
#include <QStringList>
#include <optional>

// The body of a status answer in the form asked for: the status picture,
// a page that shows the same picture with the answer in words (for a
// browser that opens the address as a page), the status word, JSON, an SVG
// badge, or the JSON of a shields-style endpoint badge. Every form carries
// a strong ETag of its body, so that whoever holds it can ask again with
// If-None-Match and be told 304 Not Modified.
struct StatusReply
{
    enum Form { Picture, Page, Text, Json, Svg, Shields };
    // Their names in the counts and metrics, by number.
    static QStringList formNames()
    {
        return {QStringLiteral("picture"), QStringLiteral("page"), QStringLiteral("text"),
                QStringLiteral("json"),    QStringLiteral("svg"),  QStringLiteral("shields")};
    }

    QByteArray body;
    QByteArray contentType;
    QByteArray tag;

    // What a request asks for: its form (?format=png or image, text, json,
    // svg, shields; without one, a page when the request is a browser's
    // navigation, else the picture, and then the answer varies with those
    // headers), the picture set (?set=1..4, else 0) and the badge's theme
    // (?theme=light or dark, else both).
    struct Choice
    {
        Form form = Picture;
        int set = 0;
        StatusBadge::Theme theme = StatusBadge::Theme::Both;
        bool negotiated = false; // the form was chosen from the request's headers
        int cacheSeconds = 0;    // for the shields form: how long its answer may be reused
    };
    // Nothing when one of them names something that does not exist.
    static std::optional<Form> form(const QString &format, bool navigation);
    static std::optional<int> set(const QString &set);

    static StatusReply make(const StatusAnswer &answer, const Choice &choice);
    // The headers of a status answer in that form, and those a 304 keeps.
    static QList<QPair<QByteArray, QByteArray>> headers(const StatusReply &reply, const Choice &choice);
    static QList<QPair<QByteArray, QByteArray>> validators(const StatusReply &reply, const Choice &choice);

    // The whole answers, 200 and 304, of a picture or a badge.
    struct Composed
    {
        SharedAnswer whole;
        SharedAnswer notModified;
        QByteArray tag;
    };
    static Composed compose(const StatusAnswer &answer, const Choice &choice);

    // The page form's policy: nothing runs, nothing is fetched, its one
    // style is the one it carries.
    static const QByteArray &pagePolicy();

private:
    static StatusReply unvalidated(const StatusAnswer &answer, const Choice &choice);
    // Since when the status has held, as ISO 8601 in UTC; empty when not seen.
    static QString since(const StatusAnswer &answer);
};

// The answers of pictures and badges, composed once and kept, for every
// thread of the doors: a picture's bytes depend on its medium, status and
// set only (a few hundred answers, all composed at the start, read without
// a lock), a badge's on its medium, theme and words (the account cut short
// in them), kept as they are asked for, so the many requests for one
// account cost a look-up.
class ComposedAnswers
{
public:
    ComposedAnswers();

    // Nothing for the other forms.
    std::optional<StatusReply::Composed> find(const StatusAnswer &answer, const StatusReply::Choice &choice);

    // Badges kept at most, then forgotten all at once: those of the
    // accounts asked most; a stranger asking for endless accounts only
    // makes the server compose them again.
    static constexpr int maxComposed = 1024;

private:
    static quint32 pictureKey(int medium, Presence::Status status, int set, bool negotiated);

    QHash<quint32, StatusReply::Composed> m_pictures; // made once, then only read
    QReadWriteLock m_lock;                            // over the badges
    QHash<QString, StatusReply::Composed> m_badges;
};
