// Round trip over loopback: a benchmark peer sends one perception frame and
// waits for the reply, many times, first against the real vexa3d process
// (communications log on, as shipped), then against a bare responder that
// answers every frame with a fixed effector string using the same framing.
// Prints both medians and their ratio, and the agent's peak resident size.
//
//   roundtrip VEXA3D_PATH PERCEPTION_FILE [ITERATIONS]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kWarmUp = 200;
const char* const kFixedReply =
    "(lae1 0)(rae1 0)(lae2 0)(rae2 0)(lae3 0)(rae3 0)(lae4 0)(rae4 0)(lle1 0)(rle1 0)"
    "(lle2 0)(rle2 0)(lle3 0)(rle3 0)(lle4 0)(rle4 0)(lle5 0)(rle5 0)(lle6 0)(rle6 0)";

[[noreturn]] void fail(const char* what) {
  std::perror(what);
  std::exit(1);
}

bool readExactly(int fd, char* out, size_t count) {
  while (count > 0) {
    const ssize_t n = read(fd, out, count);
    if (n <= 0) return false;
    out += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

bool readFrame(int fd, std::string& body) {
  unsigned char prefix[4];
  if (!readExactly(fd, reinterpret_cast<char*>(prefix), 4)) return false;
  const uint32_t length = (uint32_t{prefix[0]} << 24) | (uint32_t{prefix[1]} << 16) |
                          (uint32_t{prefix[2]} << 8) | uint32_t{prefix[3]};
  body.resize(length);
  return readExactly(fd, &body[0], length);
}

std::string frame(const std::string& body) {
  const uint32_t length = htonl(static_cast<uint32_t>(body.size()));
  return std::string(reinterpret_cast<const char*>(&length), 4) + body;
}

bool writeAll(int fd, const std::string& bytes) {
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

int listenOnLoopback(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) fail("bind");
  if (listen(fd, 1) != 0) fail("listen");
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// The bare responder: answers every frame with the fixed effector string.
[[noreturn]] void bareResponder(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) fail("connect");
  const std::string reply = frame(kFixedReply);
  std::string body;
  while (readFrame(fd, body) && writeAll(fd, reply)) {
  }
  _exit(0);
}

// Times `iterations` exchanges of `message` with the peer on `fd`; returns
// the round trips in microseconds.
std::vector<double> measure(int fd, const std::string& message, int iterations) {
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  const std::string request = frame(message);
  std::vector<double> micros;
  std::string reply;
  for (int i = 0; i < kWarmUp + iterations; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!writeAll(fd, request) || !readFrame(fd, reply)) fail("exchange");
    const auto end = std::chrono::steady_clock::now();
    if (i >= kWarmUp) micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  return micros;
}

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

struct Run {
  double median_us;
  long peak_rss_kib;
};

// Accepts the peer started by `start_peer`, skips `greetings` frames it sends
// first, measures, then closes and reaps it.
Run runAgainst(const std::function<void(int port)>& start_peer, int greetings,
               const std::string& message, int iterations) {
  int port = 0;
  const int listener = listenOnLoopback(port);
  const pid_t child = fork();
  if (child == 0) {
    close(listener);
    start_peer(port);
    _exit(127);
  }
  const int fd = accept(listener, nullptr, nullptr);
  if (fd < 0) fail("accept");
  std::string greeting;
  for (int i = 0; i < greetings; ++i) {
    if (!readFrame(fd, greeting)) fail("greeting");
  }
  const double result = median(measure(fd, message, iterations));
  close(fd);
  close(listener);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  return {result, usage.ru_maxrss};
}

std::string readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(path);
  std::ostringstream text;
  text << in.rdbuf();
  std::string content = text.str();
  while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) content.pop_back();
  return content;
}

// Runs the agent in a scratch folder with a .logfiles/ directory, so that the
// communications log is written as in a real game; its output is discarded.
void startAgent(const std::string& binary, int port) {
  char folder[] = "/tmp/vexa-roundtrip-XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) fail("scratch folder");
  mkdir(".logfiles", 0755);
  std::ofstream("formations.conf") << "*2 -3 1.5 0 \n#\n";
  if (!std::freopen("/dev/null", "w", stdout)) fail("stdout");
  const std::string port_text = std::to_string(port);
  execl(binary.c_str(), binary.c_str(), "-s", "127.0.0.1", "-p", port_text.c_str(), "-t", "Bench",
        "-n", "2", static_cast<char*>(nullptr));
  fail("exec");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s VEXA3D_PATH PERCEPTION_FILE [ITERATIONS]\n", argv[0]);
    return 2;
  }
  char resolved[4096];
  if (realpath(argv[1], resolved) == nullptr) fail(argv[1]);
  const std::string binary = resolved;
  const std::string message = readFile(argv[2]);
  const int iterations = argc > 3 ? std::atoi(argv[3]) : 10000;

  // The agent sends the scene request and the init message first.
  const Run agent = runAgainst([&](int port) { startAgent(binary, port); }, 2, message, iterations);
  const Run bare = runAgainst(bareResponder, 0, message, iterations);

  std::printf("round trips: %d of a %zu-byte perception frame, cores: %ld\n", iterations,
              message.size(), sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("vexa3d median:         %8.2f us\n", agent.median_us);
  std::printf("bare responder median: %8.2f us\n", bare.median_us);
  std::printf("ratio agent / bare:    %8.2f\n", agent.median_us / bare.median_us);
  std::printf("vexa3d peak resident size: %ld KiB\n", agent.peak_rss_kib);
  return 0;
}
