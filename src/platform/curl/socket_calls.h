// The few socket calls the transfers make themselves, kept apart so that another system's
// version can sit beside them.
#pragma once

#include <curl/curl.h>

namespace brindle::platform {

// A new socket, closed on exec; CURL_SOCKET_BAD when the system refuses one.
curl_socket_t OpenSocket(int family, int type, int protocol);

// Stops all traffic on the socket both ways without releasing it: a call blocked reading or
// writing it returns at once, and its owner still closes it.
void ShutDownSocket(curl_socket_t socket);

void CloseSocket(curl_socket_t socket);

}  // namespace brindle::platform
