// The store's address as an operator writes it on the command line; the
// address as logs and pages show it names the same store again.
#include "store/storeaddress.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    const std::optional<StoreAddress> address = StoreAddress::parse(text, &why);
    if (!address) {
        if (why.isEmpty())
            abort(); // a refusal always says why
        return 0;
    }
    if (address->unixPath.isEmpty() == address->host.isEmpty())
        abort(); // a local socket or a host, never both or neither
    const std::optional<StoreAddress> shown = StoreAddress::parse(address->display());
    if (!shown || shown->host != address->host || shown->port != address->port
        || shown->unixPath != address->unixPath || shown->database != address->database)
        abort();
    return 0;
}
