#pragma once

#include <QString>

// The server's log: one line per event on stderr, without time stamps,
// which the journal adds.
namespace ServerLog {

void line(const QString &text);

} // namespace ServerLog
