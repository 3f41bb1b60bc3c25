#include "http/socketcalls.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace SocketCalls {

void shutDown(int descriptor)
{
#ifdef _WIN32
    ::shutdown(SOCKET(descriptor), SD_BOTH);
#else
    ::shutdown(descriptor, SHUT_RDWR);
#endif
}

void sendAtOnce(int descriptor)
{
    const int one = 1;
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&one), sizeof one);
}

} // namespace SocketCalls
