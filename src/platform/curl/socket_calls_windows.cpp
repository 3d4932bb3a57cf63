#include <winsock2.h>

#include "platform/curl/socket_calls.h"

namespace brindle::platform {

curl_socket_t OpenSocket(int family, int type, int protocol) {
  const SOCKET s = ::WSASocketW(family, type, protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  return s == INVALID_SOCKET ? CURL_SOCKET_BAD : s;
}

void ShutDownSocket(curl_socket_t socket) { ::shutdown(socket, SD_BOTH); }

void CloseSocket(curl_socket_t socket) { ::closesocket(socket); }

}  // namespace brindle::platform
