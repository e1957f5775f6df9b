#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "live_server.h"
#include "replay.h"

namespace fieldsim {
namespace {

using namespace std::chrono_literals;

// A game's recorded cycle: `robots` robots whose parts move with the cycle.
Snapshot snapshotAt(int cycle, int robots) {
  Snapshot snapshot;
  snapshot.cycle = cycle;
  snapshot.time = cycle * kCycleSeconds;
  snapshot.teams = {"VEXA3D", robots > 11 ? "RIVALS" : ""};
  snapshot.ball = {0.001 * cycle, -0.5, 0.04};
  for (int r = 0; r < robots; ++r) {
    RobotSnapshot robot;
    robot.side = r < 11 ? TeamSide::kLeft : TeamSide::kRight;
    robot.number = r % 11 + 1;
    robot.torso_height = 0.4;
    for (int p = 0; p < kPartCount; ++p) {
      robot.parts[p].position = {0.003 * cycle + r, 0.1 * p, 0.02 * p};
      robot.parts[p].orientation = {std::cos(0.01 * cycle), 0, 0, std::sin(0.01 * cycle)};
    }
    snapshot.robots.push_back(robot);
  }
  return snapshot;
}

constexpr std::size_t kFrameHeadWords = 11;

struct Event {
  std::string name;
  std::string data;
};

std::vector<Event> eventsOf(const std::vector<LiveFeed::Piece>& pieces) {
  std::vector<Event> events;
  for (const LiveFeed::Piece& piece : pieces) {
    const std::size_t data = piece->find("\ndata: ");
    events.push_back({piece->substr(7, data - 7), piece->substr(data + 7, piece->size() - data - 9)});
  }
  return events;
}

// A frame's words from an event's data: base64, then zigzag varints.
std::vector<std::int16_t> wordsOf(const std::string& base64) {
  std::string bytes;
  std::uint32_t bits = 0;
  int count = 0;
  for (const char c : base64) {
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (c == '=') break;
    bits = bits << 6 | static_cast<std::uint32_t>(std::strchr(digits, c) - digits);
    if ((count += 6) >= 8) bytes += static_cast<char>(bits >> (count -= 8) & 0xff);
  }
  std::vector<std::int16_t> words;
  for (std::size_t i = 0; i < bytes.size();) {
    std::uint32_t value = 0;
    for (int shift = 0;; shift += 7) {
      const auto byte = static_cast<unsigned char>(bytes[i++]);
      value |= (byte & 0x7fu) << shift;
      if (!(byte & 0x80)) break;
    }
    words.push_back(static_cast<std::int16_t>((value >> 1) ^ -(value & 1)));
  }
  return words;
}

int cycleOf(const std::vector<std::int16_t>& frame) {
  return static_cast<std::uint16_t>(frame[0]) | static_cast<std::uint16_t>(frame[1]) << 16;
}

// What a page holds: every frame's values by cycle, from key frames and
// from changes added to the frame before.
struct Page {
  std::map<int, std::vector<std::int16_t>> frames;
  std::vector<std::int16_t> last;
  std::vector<std::string> kinds;  // "key" or "delta", frame by frame
  int headers = 0;
  std::string end;

  void take(const std::vector<LiveFeed::Piece>& pieces) {
    for (const Event& event : eventsOf(pieces)) {
      if (event.name == "header") ++headers;
      if (event.name == "end") end = event.data;
      if (event.name != "key" && event.name != "delta") continue;
      const std::vector<std::int16_t> words = wordsOf(event.data);
      if (event.name == "key") last.assign(words.size(), 0);
      last.resize(words.size(), 0);
      // A frame's first words (cycle, time, mode, score, ball, number of
      // records) are never changes.
      for (std::size_t k = 0; k < words.size(); ++k) {
        last[k] = k < kFrameHeadWords ? words[k] : static_cast<std::int16_t>(last[k] + words[k]);
      }
      frames[cycleOf(last)] = last;
      kinds.push_back(event.name);
    }
  }

  // Reads until the frame of `cycle` is in, or the stream has nothing more.
  void readUntil(LiveFeed& feed, LiveFeed::Cursor& cursor, int cycle) {
    while (!frames.count(cycle) && !cursor.ended) {
      const auto pieces = feed.next(cursor, 5000ms);
      if (pieces.empty()) return;
      take(pieces);
    }
  }
};

// A page that reads from the start, one that opens after the ring has
// turned over, and one that stops reading for a while must all hold the same
// values for the same cycle, whether they came as key frames or as changes.
TEST(LiveFeed, KeyFramesAndChangesGiveTheSameGameToEveryPage) {
  LiveFeed feed;
  Page early, stalled;
  LiveFeed::Cursor early_cursor, stalled_cursor;
  const int frames = static_cast<int>(kRingFrames) + 200;
  for (int f = 1; f <= frames; ++f) {
    // A third robot joins at the tenth frame: the header comes again.
    feed.add(snapshotAt(2 * f, f < 10 ? 2 : 3));
    early.readUntil(feed, early_cursor, 2 * f);
    if (f <= 5) stalled.readUntil(feed, stalled_cursor, 2 * f);
  }
  EXPECT_EQ(early.headers, 2);
  EXPECT_EQ(early.frames.size(), static_cast<std::size_t>(frames));
  EXPECT_EQ(early.kinds.front(), "key");
  EXPECT_EQ(std::count(early.kinds.begin(), early.kinds.end(), "key"), 1);

  Page late;
  LiveFeed::Cursor late_cursor;
  late.readUntil(feed, late_cursor, 2 * frames);
  const int oldest = 2 * (frames - static_cast<int>(kRingFrames) + 1);
  ASSERT_EQ(late.frames.begin()->first, oldest);  // the ring's oldest, as a key frame
  EXPECT_EQ(late.frames.size(), kRingFrames);
  EXPECT_EQ(late.frames.at(oldest), early.frames.at(oldest));
  EXPECT_EQ(late.frames.at(2 * frames), early.frames.at(2 * frames));

  // Fell out of the ring: skips to the newest frame, sent whole.
  stalled.readUntil(feed, stalled_cursor, 2 * frames);
  EXPECT_EQ(stalled.frames.size(), 6u);
  EXPECT_EQ(stalled.kinds.back(), "key");
  EXPECT_EQ(stalled.frames.at(2 * frames), early.frames.at(2 * frames));
}

// A key frame holds each of a robot's readings in its own word, in the
// units the page's header names, so that the page shows what the robot had.
TEST(LiveFeed, AKeyFrameHoldsEachReadingInItsWord) {
  Snapshot snapshot = snapshotAt(8, 1);
  RobotSnapshot& robot = snapshot.robots[0];
  robot.fallen = true;
  robot.torso_height = 0.321;
  robot.left_foot_force = 12.3;
  robot.right_foot_force = 45.6;
  FrameEncoder encoder;
  std::vector<std::int16_t> changes, values;
  encoder.encode(snapshot, changes, &values);
  ASSERT_EQ(values.size(), kFrameHeadWords + kRecordWords);
  EXPECT_EQ(cycleOf(values), 8);
  EXPECT_EQ(std::vector<std::int16_t>(values.begin() + 7, values.begin() + 10),
            (std::vector<std::int16_t>{8, -500, 40}));  // the ball, in millimetres
  const std::int16_t* record = &values[kFrameHeadWords];
  EXPECT_EQ(record[kFlagsWord], kOnFieldFlag | kFallenFlag);
  EXPECT_EQ(record[kTorsoHeightWord], 321);      // millimetres
  EXPECT_EQ(record[kLeftFootForceWord], 123);    // tenths of a newton
  EXPECT_EQ(record[kRightFootForceWord], 456);
  const std::int16_t* part = &record[kFirstPartWord + kPoseWords * 2];
  EXPECT_EQ(std::vector<std::int16_t>(part, part + 3), (std::vector<std::int16_t>{24, 200, 40}));
}

// The end comes after the game's last state; a last state whose cycle has
// its frame already is not sent twice.
TEST(LiveFeed, TheEndFollowsTheLastFrame) {
  for (const int last_cycle : {6, 7}) {
    LiveFeed feed;
    for (int cycle : {2, 4, 6}) feed.add(snapshotAt(cycle, 1));
    feed.end(snapshotAt(last_cycle, 1), "interrupted", "ended by SIGINT");
    Page page;
    LiveFeed::Cursor cursor;
    page.readUntil(feed, cursor, -1);
    EXPECT_TRUE(cursor.ended);
    EXPECT_EQ(page.frames.rbegin()->first, last_cycle);
    EXPECT_EQ(page.frames.size(), last_cycle == 6 ? 3u : 4u);
    EXPECT_EQ(page.end, R"({"status":"interrupted","reason":"ended by SIGINT"})");
  }
}

// A connection to the live server; reads time out after five seconds.
class Client {
 public:
  explicit Client(int port, int receive_buffer = 0) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    if (receive_buffer > 0) {
      setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    }
    timeval wait{5, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~Client() { ::close(fd_); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  void send(const std::string& text) {
    ASSERT_TRUE(connected_);
    ASSERT_EQ(::send(fd_, text.data(), text.size(), MSG_NOSIGNAL), static_cast<ssize_t>(text.size()));
  }
  void get(const std::string& path) { send("GET " + path + " HTTP/1.1\r\nHost: test\r\n\r\n"); }

  // Reads until `text` has come (true) or the connection ends or stalls.
  bool readUntil(const std::string& text) {
    while (received_.find(text) == std::string::npos) {
      char data[64 * 1024];
      const ssize_t got = recv(fd_, data, sizeof data, 0);
      if (got <= 0) return false;
      received_.append(data, static_cast<std::size_t>(got));
      // Only the tail can still hold the start of `text`.
      if (received_.size() > 1 << 20) received_.erase(0, received_.size() - text.size());
    }
    return true;
  }
  // The response's status line, e.g. "HTTP/1.1 404 Not Found".
  std::string status() {
    readUntil("\r\n");
    return received_.substr(0, received_.find("\r\n"));
  }
  const std::string& received() const { return received_; }

 private:
  int fd_;
  bool connected_ = false;
  std::string received_;
};

void waitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 1000 && !condition(); ++i) std::this_thread::sleep_for(10ms);
}

std::string statusOf(int port, const std::string& request) {
  Client client(port);
  client.send(request);
  return client.status();
}

class LiveServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.start("127.0.0.1", 0)); }
  LiveServer server_;
};

// Nothing but the page and the stream: no file of the machine, however the
// path is spelt, and no method but GET.
TEST_F(LiveServerTest, ServesThePageAndTheStreamAndNothingElse) {
  const int port = server_.port();
  EXPECT_EQ(statusOf(port, "GET / HTTP/1.1\r\nHost: test\r\n\r\n"), "HTTP/1.1 200 OK");
  for (const char* path :
       {"/x", "/index.html", "/favicon.ico", "/../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd",
        "/..%2f..%2fetc%2fpasswd", "//etc/passwd", "/stream/../../etc/passwd", "/etc/passwd",
        "/%2Fetc%2Fpasswd"}) {
    Client client(port);
    client.get(path);
    EXPECT_EQ(client.status(), "HTTP/1.1 404 Not Found") << path;
    client.readUntil("\r\n\r\n\r\n");  // to the end of the connection
    EXPECT_EQ(client.received().find("root:"), std::string::npos) << path;
  }
  for (const char* request : {"POST / HTTP/1.1\r\nHost: t\r\nContent-Length: 100000000\r\n\r\n",
                              "DELETE /stream HTTP/1.1\r\nHost: t\r\n\r\n",
                              "PUT /stream HTTP/1.1\r\nHost: t\r\nContent-Length: 1\r\n\r\nx"}) {
    EXPECT_EQ(statusOf(port, request).substr(0, 10), "HTTP/1.1 4") << request;
  }
}

TEST_F(LiveServerTest, ThePageIsTheViewerInItsLiveMode) {
  Client client(server_.port());
  client.get("/");
  ASSERT_TRUE(client.readUntil("</html>"));
  EXPECT_NE(client.received().find("Content-Type: text/html"), std::string::npos);
  EXPECT_NE(client.received().find(R"({"live":"/stream"})"), std::string::npos);
}

TEST_F(LiveServerTest, APortInUseIsRefused) {
  LiveServer second;
  EXPECT_FALSE(second.start("127.0.0.1", server_.port()));
}

// 64 pages watch at once; the 65th is refused with 503, and a page that
// leaves makes room for another.
TEST_F(LiveServerTest, SixtyFourStreamsAtOnceAndNoMore) {
  server_.add(snapshotAt(2, 3));
  std::vector<std::unique_ptr<Client>> pages;
  for (int i = 0; i < kMaxStreams; ++i) {
    pages.push_back(std::make_unique<Client>(server_.port()));
    pages.back()->get(kLiveStreamPath);
    ASSERT_TRUE(pages.back()->readUntil("event: key")) << "page " << i + 1;
  }
  EXPECT_EQ(server_.openStreams(), kMaxStreams);
  EXPECT_EQ(statusOf(server_.port(), "GET /stream HTTP/1.1\r\nHost: t\r\n\r\n"),
            "HTTP/1.1 503 Service Unavailable");
  pages.pop_back();
  waitUntil([&] { return server_.openStreams() < kMaxStreams; });
  Client another(server_.port());
  another.get(kLiveStreamPath);
  EXPECT_EQ(another.status(), "HTTP/1.1 200 OK");
}

// A page that never reads costs its socket buffer until it is let go; the
// game hands its frames over all the same, and a page that reads gets them
// to the end.
TEST_F(LiveServerTest, AStreamThatNeverReadsHoldsUpNothing) {
  Client never_reads(server_.port(), 4096);
  never_reads.get(kLiveStreamPath);
  Client reads(server_.port());
  reads.get(kLiveStreamPath);
  waitUntil([&] { return server_.openStreams() == 2; });
  bool reached_the_end = false;
  std::thread reader([&] { reached_the_end = reads.readUntil("event: end"); });
  for (int f = 1; f <= 3000; ++f) server_.add(snapshotAt(2 * f, 22));
  server_.end(snapshotAt(6001, 22), "completed", "");
  reader.join();
  EXPECT_TRUE(reached_the_end);
  waitUntil([&] { return server_.openStreams() == 0; });
  EXPECT_EQ(server_.openStreams(), 0);
}

}  // namespace
}  // namespace fieldsim
