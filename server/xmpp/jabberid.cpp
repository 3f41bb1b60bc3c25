#include "xmpp/jabberid.h"

#include <QHostAddress>

namespace {

bool tooLong(const QString &part)
{
    return part.toUtf8().size() > JabberId::maxPartBytes;
}

bool localCharacterAllowed(QChar c)
{
    static const QString forbidden = QStringLiteral("\"&'/:<>@");
    return !c.isSpace() && c.category() != QChar::Other_Control && c.category() != QChar::Other_Format
           && !forbidden.contains(c);
}

// Labels of letters, digits and hyphens (any script), not beginning or
// ending with a hyphen, of at most 63 characters; or an IP address, IPv6
// in brackets.
bool domainAllowed(const QString &domain)
{
    if (domain.startsWith(QLatin1Char('[')) && domain.endsWith(QLatin1Char(']'))) {
        const QHostAddress address(domain.mid(1, domain.size() - 2));
        return address.protocol() == QAbstractSocket::IPv6Protocol;
    }
    for (const QString &label : domain.split(QLatin1Char('.'))) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-'))
            || label.endsWith(QLatin1Char('-')))
            return false;
        for (const QChar c : label)
            if (!c.isLetterOrNumber() && c != QLatin1Char('-'))
                return false;
    }
    return true;
}

} // namespace

std::optional<JabberId> JabberId::parse(const QString &text)
{
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    if (at <= 0)
        return std::nullopt; // a person has a local part
    JabberId id{text.left(at).toLower(), text.mid(at + 1).toLower()};
    // A fully qualified name's final dot is no part of the domain.
    if (id.domain.endsWith(QLatin1Char('.')) && !id.domain.endsWith(QLatin1String("..")))
        id.domain.chop(1);
    if (id.domain.isEmpty() || tooLong(id.local) || tooLong(id.domain))
        return std::nullopt;
    for (const QChar c : std::as_const(id.local))
        if (!localCharacterAllowed(c))
            return std::nullopt;
    if (!domainAllowed(id.domain))
        return std::nullopt;
    return id;
}
