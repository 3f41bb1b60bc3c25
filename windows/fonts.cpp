#include "windows/fonts.h"

#include <QStringList>

namespace {

QFont font(const QString &family, qreal pointSize, int weight = QFont::Normal, bool italic = false)
{
    QFont f(family);
    f.setPointSizeF(pointSize);
    f.setWeight(QFont::Weight(weight));
    f.setItalic(italic);
    return f;
}

const QString sansSerif = QStringLiteral("MS Sans Serif");

} // namespace

namespace Fonts {

void installSubstitutes()
{
    const QStringList sans = {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                              QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(sansSerif, sans);
    QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Sylfaen"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    QFont::insertSubstitutions(QStringLiteral("Verdana"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

QFont dialog()
{
    return font(sansSerif, 8.25);
}

QFont dialogBold()
{
    return font(sansSerif, 8.25, QFont::Bold);
}

QFont caption()
{
    return font(QStringLiteral("Sylfaen"), 9, QFont::Bold, true);
}

QFont verdana()
{
    return font(QStringLiteral("Verdana"), 8.25);
}

QFont arial(int weight, bool italic)
{
    return font(QStringLiteral("Arial"), 8.25, weight, italic);
}

QFont microsoftSansSerif()
{
    return font(QStringLiteral("Microsoft Sans Serif"), 8.25);
}

} // namespace Fonts
