#include "irc/ircsettings.h"
