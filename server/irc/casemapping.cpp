#include "irc/casemapping.h"

CaseMapping CaseMapping::fromName(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    if (lower == "ascii")
        return Ascii;
    if (lower == "strict-rfc1459")
        return StrictRfc1459;
    return Rfc1459;
}

QByteArray CaseMapping::fold(const QByteArray &nick) const
{
    QByteArray folded = nick;
    for (char &c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        else if (m_kind != Ascii && c >= '[' && c <= ']') // [ \ ] -> { | }
            c = char(c - '[' + '{');
        else if (m_kind == Rfc1459 && c == '~')
            c = '^';
    }
    return folded;
}
