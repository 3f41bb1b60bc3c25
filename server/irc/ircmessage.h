#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <optional>

// One line of the IRC protocol, split into its parts: an optional prefix
// (who sent it), the command or three-digit reply number, and the
// parameters, the last of which may have held spaces.
struct IrcMessage
{
    QByteArray prefix;
    QByteArray command; // upper case as received; replies are three digits
    QByteArrayList params;

    // The line without its CR LF; nothing when it holds no command. Message
    // tags ("@a=b ") are skipped: this client asks for none.
    static std::optional<IrcMessage> parse(const QByteArray &line);

    // The parameter, or an empty text when there are fewer.
    QByteArray param(int index) const { return index < params.size() ? params.at(index) : QByteArray(); }
};

// Composes outgoing lines. A line is refused (nothing is returned) when any
// part holds CR, LF or NUL, when the command or a middle part is empty,
// starts with ':' or holds a space, when the command starts with '@', or
// when the line would exceed the protocol's 510 bytes: no text that reached
// this server from outside can split or extend a line.
namespace IrcLine {

inline constexpr int maxLength = 510; // without the CR LF

std::optional<QByteArray> compose(const QByteArray &command, const QByteArrayList &middle,
                                  const std::optional<QByteArray> &trailing = std::nullopt);

// True when the text may stand anywhere in a line.
bool isSafe(const QByteArray &text);

} // namespace IrcLine
