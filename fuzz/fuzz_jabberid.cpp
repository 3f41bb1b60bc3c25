// A Jabber address as a status address names it: parsed, and what parsed
// parses again to itself.
#include "xmpp/jabberid.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<JabberId> id = JabberId::parse(text);
    if (!id)
        return 0;
    if (id->local.isEmpty() || id->domain.isEmpty() || id->local.toUtf8().size() > JabberId::maxPartBytes
        || id->domain.toUtf8().size() > JabberId::maxPartBytes)
        abort();
    const std::optional<JabberId> again = JabberId::parse(id->bare());
    if (!again || again->bare() != id->bare())
        abort();
    return 0;
}
