#include "http/statusbadge.h"

#include "badgefontwidths.h"
#include "http/markup.h"
#include "model/medium.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A part's fill and its text's colour.
struct Look
{
    const char *fill;
    const char *text;
};

// Every pair reads at 4.5:1 or more (tst_statushttp computes it). On light
// pages white text on the darker colours, dark text on amber and light
// grey; on dark pages dark text on brighter colours.
Look look(Presence::Status status, bool dark)
{
    switch (status) {
    case Presence::Online: return dark ? Look{"#3fb950", "#0d1117"} : Look{"#1f7a3a", "#ffffff"};
    case Presence::Away: return dark ? Look{"#e3b341", "#0d1117"} : Look{"#f0b429", "#1f2328"};
    case Presence::Offline: return dark ? Look{"#8b949e", "#0d1117"} : Look{"#6a737d", "#ffffff"};
    case Presence::Unknown: break;
    }
    return dark ? Look{"#c9d1d9", "#0d1117"} : Look{"#d1d5da", "#1f2328"};
}

Look labelLook(bool dark)
{
    return dark ? Look{"#30363d", "#f0f3f6"} : Look{"#555555", "#ffffff"};
}

QByteArray rules(Presence::Status status, bool dark)
{
    const Look label = labelLook(dark), state = look(status, dark);
    return QByteArray(".l{fill:") + label.fill + "}.s{fill:" + state.fill + "}.t{fill:" + label.text + "}.u{fill:"
           + state.text + '}';
}

// The width the font's advances give the text, in pixels.
double textWidth(const QString &text)
{
    constexpr int count = int(sizeof BadgeFontWidths::hundredths / sizeof BadgeFontWidths::hundredths[0]);
    int hundredths = 0;
    for (const QChar c : text) {
        const int index = c.unicode() - BadgeFontWidths::first;
        // The badges' words are ASCII; anything else is taken as wide as "W".
        hundredths += BadgeFontWidths::hundredths[index >= 0 && index < count ? index : 'W' - BadgeFontWidths::first];
    }
    return hundredths / 100.0;
}

constexpr int padding = 6; // on either side of a part's text
constexpr int height = 20;

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 5);
}

// One part: its text centred, stretched to the width measured so that a
// reader without the font still sees it fit.
QByteArray text(const char *look, double x, double width, const QString &words)
{
    return QByteArray("<text class=\"") + look + "\" x=\"" + number(x) + "\" y=\"14\" textLength=\"" + number(width)
           + "\">" + Markup::escaped(words) + "</text>";
}

} // namespace

std::optional<StatusBadge::Theme> StatusBadge::theme(const QString &name)
{
    if (name.isEmpty())
        return Theme::Both;
    if (name == QLatin1String("light"))
        return Theme::Light;
    if (name == QLatin1String("dark"))
        return Theme::Dark;
    return std::nullopt;
}

QString StatusBadge::words(const StatusAnswer &answer)
{
    StatusAnswer named = answer;
    named.account = Markup::shortened(answer.account, maxAccountCharacters);
    return named.inWords();
}

QByteArray StatusBadge::svg(const StatusAnswer &answer, Theme theme)
{
    const Medium *medium = Media::find(answer.medium);
    const QString label = medium ? medium->title : answer.medium;
    const QString state = Presence::statusName(answer.presence.status);
    const QByteArray escapedWords = Markup::escaped(words(answer));

    const double labelText = textWidth(label), stateText = textWidth(state);
    const int labelWidth = qRound(labelText) + 2 * padding, width = labelWidth + qRound(stateText) + 2 * padding;
    QByteArray style = rules(answer.presence.status, theme == Theme::Dark);
    if (theme == Theme::Both)
        style += "@media (prefers-color-scheme:dark){" + rules(answer.presence.status, true) + '}';

    const QByteArray w = QByteArray::number(width), lw = QByteArray::number(labelWidth);
    const QByteArray h = QByteArray::number(height);
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w
           + ' ' + h + "\" role=\"img\" aria-label=\"" + escapedWords + "\"><title>" + escapedWords + "</title><style>" + style
           + "</style><rect class=\"s\" width=\"" + w + "\" height=\"" + h + "\" rx=\"3\"/><rect class=\"l\" width=\""
           + lw + "\" height=\"" + h + "\" rx=\"3\"/><rect class=\"l\" x=\"" + QByteArray::number(labelWidth - 3)
           + "\" width=\"3\" height=\"" + h + "\"/><g font-family=\"" + BadgeFontWidths::family
           + ",Verdana,sans-serif\" font-size=\"" + QByteArray::number(BadgeFontWidths::pixelSize)
           + "\" text-anchor=\"middle\">" + text("t", labelWidth / 2.0, labelText, label)
           + text("u", labelWidth + (width - labelWidth) / 2.0, stateText, state) + "</g></svg>\n";
}

int StatusBadge::cacheSeconds(const Medium &medium, int ircCacheSeconds)
{
    return medium.live ? ircCacheSeconds : closedCacheSeconds;
}

QByteArray StatusBadge::shields(const StatusAnswer &answer, int cacheSeconds)
{
    const Medium *medium = Media::find(answer.medium);
    const QJsonObject object{
        {QStringLiteral("schemaVersion"), 1},
        {QStringLiteral("label"), medium ? medium->title : answer.medium},
        {QStringLiteral("message"), Presence::statusName(answer.presence.status)},
        // The light theme's colour, without its "#", as those badges take it.
        {QStringLiteral("color"), QString::fromLatin1(look(answer.presence.status, false).fill + 1)},
        {QStringLiteral("cacheSeconds"), cacheSeconds},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}
