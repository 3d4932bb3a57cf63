#include "platform/curl/socket_calls.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <system_error>

namespace brindle::platform {

curl_socket_t OpenSocket(int family, int type, int protocol) {
  const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
  return fd < 0 ? CURL_SOCKET_BAD : fd;
}

void ShutDownSocket(curl_socket_t socket) { ::shutdown(socket, SHUT_RDWR); }

void CloseSocket(curl_socket_t socket) { ::close(socket); }

std::string SocketErrorWords(long error) {
  if (error == 0) return "";
  std::string words = std::generic_category().message(static_cast<int>(error));
  if (!words.empty()) {
    words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
  }
  return words;
}

}  // namespace brindle::platform
