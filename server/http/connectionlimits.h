#pragma once

#include <QtGlobal>

// The limits that keep slow, idle or greedy clients from holding the
// server: connections at once, in all and per client address; the time a
// client has to send a whole request (counted from the connection or the
// last answer, so it also ends idle keep-alive connections); the bytes a
// request may take, request line, headers and body together. Qt 6.4's HTTP
// server has none of these (later versions have QHttpServerConfiguration).
struct ConnectionLimits
{
    int maxConnections = 512;   // --max-connections
    // Connections of one client address; behind a trusted proxy, requests
    // of one forwarded client at once (the proxy's connections carry many).
    int maxPerClient = 32;      // --max-per-client
    int requestMs = 10'000;
    // 100,000 characters of the Basic Multilingual Plane, percent-encoded UTF-8 (900,000 bytes), and
    // headers; a request line of 1 MiB is past it.
    qint64 maxRequestBytes = 1'048'576;
    int maxHeaders = 100;
    // Requests of one connection answered ahead of an earlier one that is
    // still waiting (pipelined): they wait, in order, up to this many.
    int maxWaitingAnswers = 32;
    // How long a refused connection stays to let its refusal out.
    int refusalLingerMs = 1'000;

    // How long a request may be in the handler's hands: every lookup is
    // answered within its bound, and this is the margin past it after which
    // the connection is taken for lost.
    static constexpr int handlerMarginMs = 5'000;
    static constexpr int handlerAbortMs(int lookupBoundMs) { return lookupBoundMs + handlerMarginMs; }
};
