// Loaded into the editor by scripts/run when it shows its window over VNC.
// The VNC server listens on every network interface and asks for no
// password; with this library every socket that would listen on all
// interfaces listens on the loopback interface only, so that the window can
// be reached from this machine alone.

#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace {

using TBind = int (*)(int, const sockaddr*, socklen_t);

int SystemBind(int socket, const sockaddr* address, socklen_t length)
{
    static const auto systemBind = reinterpret_cast<TBind>(dlsym(RTLD_NEXT, "bind"));
    return systemBind(socket, address, length);
}

// A dual-stack socket: an IPv6 socket that takes IPv4 clients as well.
bool TakesIPv4(int socket)
{
    int v6Only = 1;
    socklen_t size = sizeof v6Only;
    return getsockopt(socket, IPPROTO_IPV6, IPV6_V6ONLY, &v6Only, &size) == 0 && v6Only == 0;
}

} // namespace

extern "C" int bind(int socket, const sockaddr* address, socklen_t length)
{
    if (address && address->sa_family == AF_INET && length >= sizeof(sockaddr_in)) {
        sockaddr_in local;
        std::memcpy(&local, address, sizeof local);
        if (local.sin_addr.s_addr == htonl(INADDR_ANY)) {
            local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            return SystemBind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        }
    }
    if (address && address->sa_family == AF_INET6 && length >= sizeof(sockaddr_in6)) {
        sockaddr_in6 local;
        std::memcpy(&local, address, sizeof local);
        if (IN6_IS_ADDR_UNSPECIFIED(&local.sin6_addr)) {
            // Most viewers reach "localhost" as 127.0.0.1, which a dual-stack
            // socket serves as the IPv4-mapped address ::ffff:127.0.0.1.
            local.sin6_addr = in6addr_loopback;
            if (TakesIPv4(socket)) {
                static constexpr unsigned char mappedLoopback[16] = {0, 0, 0,    0,    0, 0, 0, 0,
                                                                     0, 0, 0xFF, 0xFF, 127, 0, 0, 1};
                std::memcpy(&local.sin6_addr, mappedLoopback, sizeof mappedLoopback);
            }
            return SystemBind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        }
    }
    return SystemBind(socket, address, length);
}
