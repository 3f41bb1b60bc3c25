#pragma once

#include <QString>

// Why the server's own account is not logged in, in words an operator acts
// on (the log, /health), from what libstrophe says: the condition of a
// stream error the XMPP server sent, else libstrophe's last error line,
// else the system's error. libstrophe's own wording and numbers ("stream
// error 18", "No certfail handler set") name its insides, not the trouble.
namespace XmppTrouble {

// condition: a stream error's condition ("system-shutdown"), empty for none;
// text: the server's own words with it.
QString ofStreamError(const QString &condition, const QString &text);
// line: libstrophe's last error line; systemError: errno, 0 for none.
QString ofConnection(const QString &line, int systemError);

} // namespace XmppTrouble
