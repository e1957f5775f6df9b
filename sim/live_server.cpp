#include "live_server.h"

#include <httplib.h>
#include <sys/socket.h>
#include <zlib.h>

#include <chrono>
#include <csignal>
#include <cstring>

namespace fieldsim {
namespace {

using namespace std::chrono_literals;

// Beyond the streams, threads for the pages' own requests and refusals.
constexpr int kRequestThreads = 8;
// A page that takes nothing for this long is let go, so that one that never
// reads holds its thread and its socket buffer no longer.
constexpr int kStallSeconds = 5;
constexpr int kSendBufferBytes = 256 * 1024;  // the kernel doubles it
constexpr auto kQuietWait = 1000ms;  // then a comment line goes out
constexpr auto kDrainTime = 2000ms;  // for the pages to take the end
constexpr std::size_t kMaxRequestBody = 4096;
constexpr char kKeepAlive[] = ": nothing new\n\n";

std::string livePage() {
  std::string page(replayPageTemplate());
  page.replace(page.find("{{HEADER}}"), 10, std::string("{\"live\":\"") + kLiveStreamPath + "\"}");
  page.replace(page.find("{{DATA}}"), 8, "");
  return page;
}

// Compressed once here: the library would compress the page again for
// every request, which takes brotli about a second of a core.
std::string gzipped(const std::string& text) {
  z_stream zip{};
  deflateInit2(&zip, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zip, text.size()), '\0');
  zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zip.avail_in = static_cast<uInt>(text.size());
  zip.next_out = reinterpret_cast<Bytef*>(out.data());
  zip.avail_out = static_cast<uInt>(out.size());
  deflate(&zip, Z_FINISH);
  out.resize(zip.total_out);
  deflateEnd(&zip);
  return out;
}

bool acceptsGzip(const httplib::Request& request) {
  return request.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
}

// Set on the listening socket; an accepted socket inherits them. Its send
// buffer is bounded, and a send that cannot go on for kStallSeconds fails,
// which ends that connection.
void socketOptions(int socket) {
  const int yes = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  const int buffer = kSendBufferBytes;
  setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
  timeval stall{kStallSeconds, 0};
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &stall, sizeof stall);
}

}  // namespace

LiveServer::LiveServer()
    : http_(std::make_unique<httplib::Server>()),
      page_(livePage()),
      gzipped_page_(gzipped(page_)) {
  http_->new_task_queue = [] { return new httplib::ThreadPool(kMaxStreams + kRequestThreads); };
  http_->set_socket_options(socketOptions);
  http_->set_keep_alive_max_count(1);
  http_->set_read_timeout(kStallSeconds, 0);
  http_->set_write_timeout(kStallSeconds, 0);
  http_->set_payload_max_length(kMaxRequestBody);
  http_->Get("/", [this](const httplib::Request& request, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    const bool gzip = acceptsGzip(request);
    if (gzip) response.set_header("Content-Encoding", "gzip");
    // A provider's content goes out as it is: the library compresses only a body.
    const std::string& page = gzip ? gzipped_page_ : page_;
    response.set_content_provider(
        page.size(), "text/html; charset=utf-8",
        [&page](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          return sink.write(page.data() + offset, length);
        });
  });
  http_->Get(kLiveStreamPath, [this](const httplib::Request&, httplib::Response& response) {
    if (!takeStream()) {
      response.status = 503;
      response.set_content(
          "fieldsim: " + std::to_string(kMaxStreams) + " pages watch already; try again later\n",
          "text/plain");
      return;
    }
    auto cursor = std::make_shared<LiveFeed::Cursor>();
    response.set_header("Cache-Control", "no-store");
    response.set_chunked_content_provider(
        "text/event-stream",
        [this, cursor](std::size_t, httplib::DataSink& sink) { return sendSome(*cursor, sink); },
        [this](bool) { --streams_; });
  });
}

LiveServer::~LiveServer() {
  stop();
}

bool LiveServer::start(const std::string& host, int port) {
  // The library sends without MSG_NOSIGNAL: a page that has gone must not
  // end the process.
  std::signal(SIGPIPE, SIG_IGN);
  host_ = host;
  port_ = port == 0 ? http_->bind_to_any_port(host) : (http_->bind_to_port(host, port) ? port : -1);
  if (port_ < 0) return false;
  listener_ = std::thread([this] { http_->listen_after_bind(); });
  // stop() does nothing to a server that is not running yet, whose thread
  // would then listen for ever.
  for (int i = 0; i < 1000 && !http_->is_running(); ++i) std::this_thread::sleep_for(1ms);
  return true;
}

std::string LiveServer::address() const {
  const bool ipv6 = host_.find(':') != std::string::npos;
  return "http://" + (ipv6 ? "[" + host_ + "]" : host_) + ":" + std::to_string(port_) + "/";
}

void LiveServer::close() {
  const auto give_up = std::chrono::steady_clock::now() + kDrainTime;
  while (streams_ > 0 && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(10ms);
  }
  stop();
}

bool LiveServer::takeStream() {
  int open = streams_;
  while (open < kMaxStreams) {
    if (streams_.compare_exchange_weak(open, open + 1)) return true;
  }
  return false;
}

bool LiveServer::sendSome(LiveFeed::Cursor& cursor, httplib::DataSink& sink) {
  const std::vector<LiveFeed::Piece> pieces = feed_.next(cursor, kQuietWait);
  if (pieces.empty() && !cursor.ended) return sink.write(kKeepAlive, std::strlen(kKeepAlive));
  for (const LiveFeed::Piece& piece : pieces) {
    if (!sink.write(piece->data(), piece->size())) return false;
  }
  if (cursor.ended) sink.done();
  return true;
}

void LiveServer::stop() {
  feed_.close();
  if (!listener_.joinable()) return;
  http_->stop();
  listener_.join();
}

}  // namespace fieldsim
