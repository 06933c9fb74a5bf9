#pragma once
// The yardstick of the HTTP benchmark: a plain blocking Winsock client that
// sends a request and receives until the server closes, nothing else.

#include <cstdint>
#include <string>

namespace velloran::bench {

// Connects to 127.0.0.1:Port, sends Request and receives 64 KiB blocks into
// one text until the close; returns how many bytes came.
std::uint64_t PlainDownload(unsigned short port, const std::string& request);

}  // namespace velloran::bench
