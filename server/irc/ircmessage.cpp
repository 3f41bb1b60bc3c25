#include "irc/ircmessage.h"

namespace {

// Skips the spaces at the position; IRC allows several between parts.
int skipSpaces(const QByteArray &line, int at)
{
    while (at < line.size() && line.at(at) == ' ')
        ++at;
    return at;
}

// The word from the position to the next space, and where it ends.
QByteArray word(const QByteArray &line, int &at)
{
    const int end = line.indexOf(' ', at);
    const QByteArray result = line.mid(at, end < 0 ? -1 : end - at);
    at = end < 0 ? int(line.size()) : end;
    return result;
}

} // namespace

std::optional<IrcMessage> IrcMessage::parse(const QByteArray &line)
{
    IrcMessage message;
    int at = skipSpaces(line, 0);
    if (at < line.size() && line.at(at) == '@') {
        word(line, at);
        at = skipSpaces(line, at);
    }
    if (at < line.size() && line.at(at) == ':') {
        ++at;
        message.prefix = word(line, at);
        at = skipSpaces(line, at);
    }
    message.command = word(line, at).toUpper();
    if (message.command.isEmpty())
        return std::nullopt;
    for (at = skipSpaces(line, at); at < line.size(); at = skipSpaces(line, at)) {
        if (line.at(at) == ':') {
            message.params.append(line.mid(at + 1));
            break;
        }
        message.params.append(word(line, at));
    }
    return message;
}

bool IrcLine::isSafe(const QByteArray &text)
{
    return !text.contains('\r') && !text.contains('\n') && !text.contains('\0');
}

std::optional<QByteArray> IrcLine::compose(const QByteArray &command, const QByteArrayList &middle,
                                           const std::optional<QByteArray> &trailing)
{
    // A line that starts with ':' or '@' reads as a prefix or tags: the command would be lost.
    if (command.isEmpty() || !isSafe(command) || command.contains(' ') || command.startsWith(':')
        || command.startsWith('@'))
        return std::nullopt;
    QByteArray line = command;
    for (const QByteArray &part : middle) {
        if (part.isEmpty() || !isSafe(part) || part.contains(' ') || part.startsWith(':'))
            return std::nullopt;
        line += ' ' + part;
    }
    if (trailing) {
        if (!isSafe(*trailing))
            return std::nullopt;
        line += " :" + *trailing;
    }
    if (line.size() > maxLength)
        return std::nullopt;
    return line;
}
