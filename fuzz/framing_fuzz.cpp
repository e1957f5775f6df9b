// Feeds arbitrary byte streams, cut into chunks of a fuzzed size, to the
// frame reader over a socket pair, and checks every frame against a
// reference reading of the same stream: no frame lost, none invented, and
// the first over-long frame refused, which ends the reading.
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sched.h>
#include <string>
#include <thread>
#include <vector>

#include "socket.h"

namespace {

// A connection whose socket is one end of a socket pair.
class PairedConnection : public TRoboCupConnection {
 public:
  explicit PairedConnection(int fd) : TRoboCupConnection("", -1) {
    m_SocketFD->setSocketFD(fd, CONN_TCP);
  }
};

// What one getMessage call must give: a body, or false.
struct Outcome {
  bool ok;
  std::string text;
};

std::vector<Outcome> referenceReading(const uint8_t* data, size_t size, uint32_t limit) {
  std::vector<Outcome> outcomes;
  size_t at = 0;
  while (at + 4 <= size) {
    const uint32_t length = (uint32_t{data[at]} << 24) | (uint32_t{data[at + 1]} << 16) |
                            (uint32_t{data[at + 2]} << 8) | uint32_t{data[at + 3]};
    if (length > limit) break;  // refused at once, body unread
    if (size - at - 4 < length) break;  // cut off by the end of the stream
    const char* body = reinterpret_cast<const char*>(data + at + 4);
    outcomes.push_back({true, std::string(body, strnlen(body, length))});
    at += 4 + length;
  }
  outcomes.push_back({false, ""});  // the end of the reading
  return outcomes;
}

// Writes each chunk only once the reader has taken everything before it, so
// that the chunks arrive as separate reads.
void writeInChunks(int fd, int reader_fd, const uint8_t* data, size_t size, size_t chunk) {
  for (size_t at = 0; at < size; at += chunk) {
    const size_t n = std::min(chunk, size - at);
    if (send(fd, data + at, n, MSG_NOSIGNAL) != static_cast<ssize_t>(n)) break;
    for (int spins = 0; spins < 100000; ++spins) {
      int pending = 0;
      if (ioctl(reader_fd, FIONREAD, &pending) != 0 || pending == 0) break;
      sched_yield();
    }
  }
  shutdown(fd, SHUT_WR);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint32_t limit = data[0] < 128 ? data[0] : kMaxMessageLength;
  const size_t chunk = 1 + data[1] % 64;
  data += 2;
  size -= 2;

  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
  const std::vector<Outcome> expected = referenceReading(data, size, limit);
  std::thread writer(writeInChunks, fds[1], fds[0], data, size, chunk);
  {
    PairedConnection connection(fds[0]);
    static char msg[kMaxMessageLength + 1];
    for (const Outcome& outcome : expected) {
      const bool ok = connection.getMessage(msg, static_cast<int>(limit));
      if (ok != outcome.ok || (ok && outcome.text != msg)) std::abort();
    }
  }
  writer.join();
  close(fds[1]);
  return 0;
}
