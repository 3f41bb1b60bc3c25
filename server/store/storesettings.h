#pragma once

// The numbers the store is spoken to by. Tests shorten them.
struct StoreSettings
{
    // A reply later than this is trouble with the store: the command fails
    // and the connection is made anew. It keeps every lookup that reads the
    // store well inside its answer bound.
    int replyBoundMs = 500;
    // Commands sent and not yet answered, at most; beyond, they fail at once
    // rather than queue behind a store that is slow.
    int maxPending = 10'000;
    // Reconnection waits this long at first, doubling up to the most, so that
    // a cluster shares again within seconds of the store's return.
    int reconnectFirstMs = 250;
    int reconnectMaxMs = 4'000;
    // Kinds of command errors counted apart (the store's first word of an
    // error: ERR, NOSCRIPT, READONLY...); more kinds are counted as OTHER.
    static constexpr int maxErrorKinds = 16;
};
