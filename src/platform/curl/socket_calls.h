// The few socket calls the transfers make themselves, kept apart so that another system's
// version can sit beside them.
#pragma once

#include <curl/curl.h>

#include <string>

namespace brindle::platform {

// A new socket, closed on exec; CURL_SOCKET_BAD when the system refuses one.
curl_socket_t OpenSocket(int family, int type, int protocol);

// Stops all traffic on the socket both ways without releasing it: a call blocked reading or
// writing it returns at once, and its owner still closes it.
void ShutDownSocket(curl_socket_t socket);

void CloseSocket(curl_socket_t socket);

// The system's reason for a failed socket call, as libcurl reports its error number
// (CURLINFO_OS_ERRNO), in lower case: "connection refused". "" for 0.
std::string SocketErrorWords(long error);

}  // namespace brindle::platform
