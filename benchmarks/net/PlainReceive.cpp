#include "benchmarks/net/PlainReceive.h"

#include <winsock2.h>

#include <stdexcept>
#include <vector>

namespace velloran::bench {

std::uint64_t PlainDownload(unsigned short port, const std::string& request) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    closesocket(s);
    WSACleanup();
    throw std::runtime_error("plain connect failed");
  }
  send(s, request.data(), static_cast<int>(request.size()), 0);
  // The same work on the bytes as the client does: append every block to one text.
  std::string text;
  std::vector<char> block(65536);
  for (;;) {
    int received = recv(s, block.data(), static_cast<int>(block.size()), 0);
    if (received <= 0) break;
    text.append(block.data(), received);
  }
  closesocket(s);
  WSACleanup();
  return text.size();
}

}  // namespace velloran::bench
