#pragma once

#include <QFont>

// The fonts of the windows, asked for by their Windows names. Where a font is
// not installed (on Linux, as a rule) a metric-compatible or close substitute
// stands in, so that captions keep their widths and do not wrap.
namespace Fonts {

void installSubstitutes();

QFont dialog();            // MS Sans Serif 8.25 pt: controls that set no font
QFont dialogBold();        // MS Sans Serif 8.25 pt bold: status legend captions
QFont caption();           // Sylfaen 9 pt bold italic: labels on bars, links
QFont verdana();           // Verdana 8.25 pt: account boxes
QFont arial(int weight, bool italic = false); // Arial 8.25 pt
QFont microsoftSansSerif(); // Microsoft Sans Serif 8.25 pt: the help text

} // namespace Fonts
