#pragma once

// The two calls on a connection's socket that the door makes itself, the
// one place that knows the system's socket headers.
namespace SocketCalls {

// Ends both directions now; the HTTP layer sees the end and closes it.
void shutDown(int descriptor);
// Small answers go out at once, not held back for the client's ACK.
void sendAtOnce(int descriptor);

} // namespace SocketCalls
