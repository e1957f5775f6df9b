// A scripted server for tests: listens on 127.0.0.1 (ephemeral port),
// accepts one client and exchanges length-prefixed frames with it. Every
// wait is bounded so that a test fails instead of hanging.
#ifndef VEXA_TESTS_LOOPBACK_PEER_H
#define VEXA_TESTS_LOOPBACK_PEER_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

// A body with its 4-byte big-endian length in front.
inline std::string frame(const std::string& body) {
  const uint32_t length = htonl(static_cast<uint32_t>(body.size()));
  return std::string(reinterpret_cast<const char*>(&length), 4) + body;
}

class LoopbackPeer {
 public:
  LoopbackPeer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackPeer() {
    closeClient();
    close(listener_);
  }
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  int port() const { return port_; }

  bool accept(int timeout_ms = 5000) {
    if (!readable(listener_, timeout_ms)) return false;
    client_ = ::accept(listener_, nullptr, nullptr);
    return client_ >= 0;
  }

  bool sendFrame(const std::string& body) const { return sendRaw(frame(body)); }

  bool sendRaw(const std::string& bytes) const {
    size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = send(client_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }

  // The next frame's body, or nothing on time-out or end of stream.
  std::optional<std::string> recvFrame(int timeout_ms = 5000) const {
    std::string prefix;
    if (!recvExactly(4, prefix, timeout_ms)) return std::nullopt;
    uint32_t length;
    std::memcpy(&length, prefix.data(), 4);
    std::string body;
    if (!recvExactly(ntohl(length), body, timeout_ms)) return std::nullopt;
    return body;
  }

  // True when the client closed its end (no data before the end of stream).
  bool clientClosed(int timeout_ms = 5000) const {
    char byte;
    return readable(client_, timeout_ms) && recv(client_, &byte, 1, 0) == 0;
  }

  // Ends the stream towards the client while still reading what it sends.
  void shutdownWrite() const { shutdown(client_, SHUT_WR); }

  void closeClient() {
    if (client_ >= 0) close(client_);
    client_ = -1;
  }

 private:
  static bool readable(int fd, int timeout_ms) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, timeout_ms) == 1;
  }

  bool recvExactly(size_t count, std::string& out, int timeout_ms) const {
    out.clear();
    char chunk[4096];
    while (out.size() < count) {
      if (!readable(client_, timeout_ms)) return false;
      const size_t want = std::min(sizeof chunk, count - out.size());
      const ssize_t n = recv(client_, chunk, want, 0);
      if (n <= 0) return false;
      out.append(chunk, static_cast<size_t>(n));
    }
    return true;
  }

  int listener_ = -1;
  int client_ = -1;
  int port_ = 0;
};

#endif
