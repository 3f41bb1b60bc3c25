#pragma once

#include <QByteArray>

// How an IRC network compares nicks: which letters count as the same when
// their case differs. Networks name theirs in ISUPPORT (CASEMAPPING=...);
// one that names none uses rfc1459, where "[]\~" are the upper case of "{}|^".
class CaseMapping
{
public:
    enum Kind { Ascii, Rfc1459, StrictRfc1459 };

    CaseMapping(Kind kind = Rfc1459) : m_kind(kind) {}
    // The mapping an ISUPPORT value names; rfc1459 for names it does not know.
    static CaseMapping fromName(const QByteArray &name);

    // The nick in the mapping's lower case, for comparing.
    QByteArray fold(const QByteArray &nick) const;
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};
