#include <winsock2.h>

#include <system_error>

#include "platform/curl/socket_calls.h"

namespace brindle::platform {

curl_socket_t OpenSocket(int family, int type, int protocol) {
  const SOCKET s = ::WSASocketW(family, type, protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  return s == INVALID_SOCKET ? CURL_SOCKET_BAD : s;
}

void ShutDownSocket(curl_socket_t socket) { ::shutdown(socket, SD_BOTH); }

void CloseSocket(curl_socket_t socket) { ::closesocket(socket); }

// Winsock's own messages are long sentences; the common ones get the words POSIX systems use.
std::string SocketErrorWords(long error) {
  switch (error) {
    case 0:
      return "";
    case WSAECONNREFUSED:
      return "connection refused";
    case WSAETIMEDOUT:
      return "connection timed out";
    case WSAECONNRESET:
      return "connection reset by peer";
    case WSAEHOSTUNREACH:
      return "no route to host";
    case WSAENETUNREACH:
      return "network is unreachable";
    default:
      return std::system_category().message(static_cast<int>(error));
  }
}

}  // namespace brindle::platform
