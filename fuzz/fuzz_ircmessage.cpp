// One line from an IRC network through the message parser, and what parsed
// composed again: a line the client would send from those parts must read
// back as the same parts.
#include "irc/ircmessage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<IrcMessage> message = IrcMessage::parse(line);
    if (!message)
        return 0;
    if (message->command.isEmpty())
        abort(); // a message always has its command
    message->param(0);
    message->param(int(message->params.size()));
    QByteArrayList middle = message->params;
    std::optional<QByteArray> trailing;
    if (!middle.isEmpty())
        trailing = middle.takeLast();
    const std::optional<QByteArray> composed = IrcLine::compose(message->command, middle, trailing);
    if (!composed)
        return 0;
    if (composed->size() > IrcLine::maxLength || !IrcLine::isSafe(*composed))
        abort();
    const std::optional<IrcMessage> again = IrcMessage::parse(*composed);
    if (!again || again->command != message->command || again->params != message->params)
        abort();
    return 0;
}
