#pragma once

#include "model/statusanswer.h"

struct Medium;

#include <QByteArray>
#include <QString>
#include <optional>

// A status answer as a badge: a flat SVG of two parts, the medium's name and
// the status word, each coloured so its text reads at WCAG AA contrast in
// the light and in the dark theme, and the JSON that shields-style endpoint
// badges read. The SVG is an image only: no script, no reference to
// anything, the answer in words for screen readers.
class StatusBadge
{
public:
    // Both follows the reader's prefers-color-scheme; the others force one.
    enum class Theme { Both, Light, Dark };

    // ?theme=light or dark; empty for both; nothing for anything else.
    static std::optional<Theme> theme(const QString &name);

    static QByteArray svg(const StatusAnswer &answer, Theme theme);
    // The badge's words: the answer in words, the account cut short.
    static QString words(const StatusAnswer &answer);
    static QByteArray shields(const StatusAnswer &answer, int cacheSeconds);

    // How long a shields-style badge service may reuse an answer: as long
    // as the server reuses an IRC answer for a live medium (a Jabber
    // answer can change as soon, when her client says so); a day for a
    // closed one, whose answer never changes.
    static int cacheSeconds(const Medium &medium, int ircCacheSeconds);
    static constexpr int closedCacheSeconds = 86'400;

    // How much of an account the badge's words name (then "…"), so that a
    // badge stays under a kilobyte whatever was asked (the reasons are short).
    static constexpr int maxAccountCharacters = 24;
};
