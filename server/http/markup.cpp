#include "http/markup.h"

namespace {

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

bool xmlForbids(char32_t c)
{
    return (c >= 0xd800 && c <= 0xdfff) || c == 0xfffe || c == 0xffff;
}

} // namespace

namespace Markup {

QByteArray escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
            continue;
        }
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&#39;"); break;
        default: out += isControl(c.unicode()) || xmlForbids(c.unicode()) ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    return out.toUtf8();
}

QString shortened(const QString &text, int characters)
{
    if (text.size() <= characters)
        return text;
    qsizetype keep = characters - 1;
    if (keep > 0 && text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.left(keep) + QChar(0x2026);
}

} // namespace Markup
