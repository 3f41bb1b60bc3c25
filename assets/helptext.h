#pragma once

#include <QString>

// The usage text of the Help window: its lines joined by CR LF, ending with
// a line break, every space kept. The text lives in assets/text/helptext.txt;
// the contact address and the example IRC identity come from the one list of
// host names.
namespace HelpText {

QString text();

} // namespace HelpText
