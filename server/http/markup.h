#pragma once

#include <QByteArray>
#include <QString>

// Text typed by strangers made safe inside XML and HTML, as text or as an
// attribute's value in quotes of either kind.
namespace Markup {

// The text with & < > " ' escaped, and every character XML 1.0 forbids (C0
// controls besides none, lone surrogates, U+FFFE and U+FFFF) and every
// other control character (tab, line breaks, C1) replaced by U+FFFD: a
// badge's words are one line, and what cannot be shown is seen to be there.
QByteArray escaped(const QString &text);

// At most that many characters (UTF-16 units) of the text, the last of them
// "…" when it was longer; a surrogate pair is never split.
QString shortened(const QString &text, int characters);

} // namespace Markup
