#pragma once

#include <QtGlobal>

// The limits that keep slow, idle or greedy clients from holding the
// server: connections at once, in all and per client address; the time a
// client has to send a whole request (counted from the connection or the
// last answer, so it also ends idle keep-alive connections); the bytes a
// request may take, request line, headers and body together. The HTTP
// layer's own time-out is for silence only, in whole seconds: the time of a
// whole request is kept by the ConnectionWatch.
struct ConnectionLimits
{
    int maxConnections = 512;   // --max-connections
    // Connections of one client address; behind a trusted proxy, requests
    // of one forwarded client at once (the proxy's connections carry many).
    int maxPerClient = 32;      // --max-per-client
    int requestMs = 10'000;
    // The longest account any network allowed (IRC's 30-character nicks,
    // e-mail addresses of 254 bytes, Jabber's 3 parts of 1,023 bytes each),
    // percent-encoded three times over, and a browser's headers; nginx's
    // own default is 8 KiB a line. The HTTP layer clears a connection's
    // memory, twice this, after every request: the bound is also the cost
    // of each answer.
    qint64 maxRequestBytes = 16'384;
    int maxHeaders = 100;
    // How long a refused connection stays to let its refusal out.
    int refusalLingerMs = 1'000;

    // How long a request may be in the handler's hands: every lookup is
    // answered within its bound, and this is the margin past it after which
    // the connection is taken for lost.
    static constexpr int handlerMarginMs = 5'000;
    static constexpr int handlerAbortMs(int lookupBoundMs) { return lookupBoundMs + handlerMarginMs; }
};
