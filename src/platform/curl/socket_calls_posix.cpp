#include "platform/curl/socket_calls.h"

#include <sys/socket.h>
#include <unistd.h>

namespace brindle::platform {

curl_socket_t OpenSocket(int family, int type, int protocol) {
  const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
  return fd < 0 ? CURL_SOCKET_BAD : fd;
}

void ShutDownSocket(curl_socket_t socket) { ::shutdown(socket, SHUT_RDWR); }

void CloseSocket(curl_socket_t socket) { ::close(socket); }

}  // namespace brindle::platform
