#include "irc/ircsettings.h"

#include "irc/ircidentity.h"
#include "irc/ircmessage.h"

#include <algorithm>

int IrcSettings::queueCapacity() const
{
    const int perLine = (IrcLine::maxLength - int(sizeof("ISON") - 1)) / (IrcIdentity::maxNickLength + 1);
    const int lines = lookupBoundMs / std::max(floodIntervalMs, 1) - 1;
    return std::max(1, lines) * perLine;
}
