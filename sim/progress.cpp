#include "progress.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "formatted.h"
#include "report.h"

namespace fieldsim {
namespace {

constexpr int kBarWidth = 20;
constexpr int kDefaultTerminalColumns = 80;

int fallsSoFar(const World& world) {
  int falls = 0;
  for (const Robot& robot : world.robots()) falls += robot.stats.falls;
  return falls;
}

// "[#########-----------] " for the part of the game played.
std::string bar(int cycle, int total_cycles) {
  const int done =
      static_cast<int>(std::lround(kBarWidth * static_cast<double>(cycle) / total_cycles));
  return "[" + std::string(done, '#') + std::string(kBarWidth - done, '-') + "] ";
}

// "/dev/fd/N" is the open descriptor N itself, as in the shell's
// redirections: reopened, a file would get a position of its own, and what
// the caller writes to it later would overwrite the lines.
int openForAppending(const std::string& path) {
  const std::string prefix = "/dev/fd/";
  if (path.rfind(prefix, 0) == 0 && path.size() > prefix.size()) {
    char* end = nullptr;
    const long fd = std::strtol(path.c_str() + prefix.size(), &end, 10);
    if (*end == '\0' && fd >= 0 && fd < 1024)
      return fcntl(static_cast<int>(fd), F_DUPFD_CLOEXEC, 0);
  }
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

int terminalColumns(int fd) {
  winsize size{};
  return ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col
                                                              : kDefaultTerminalColumns;
}

std::string timeLeft(double seconds) {
  if (seconds < 120) return formatted("%.0f s left", seconds);
  return formatted("%.0f min left", seconds / 60);
}

}  // namespace

std::string progressStatus(const World& world, int total_cycles, double wall_seconds) {
  const int cycle = world.cycle();
  std::string out = total_cycles > 0 ? formatted("cycle %d/%d", cycle, total_cycles)
                                     : formatted("cycle %d", cycle);
  out += formatted(", %s, %s, %s", playModeName(world.mode()), scoreText(world).c_str(),
                   counted(fallsSoFar(world), "fall").c_str());
  if (cycle == 0 || wall_seconds <= 0) return out;
  const double rate = cycle / wall_seconds;
  out += formatted(", %.0f cycles/s", rate);
  if (total_cycles > 0) out += ", " + timeLeft((total_cycles - cycle) / rate);
  return out;
}

ProgressDisplay::ProgressDisplay(const std::string& path)
    : fd_(openForAppending(path)),
      terminal_(fd_ >= 0 && isatty(fd_)),
      next_draw_seconds_(terminal_ ? 0 : kPlainLineSeconds) {}

ProgressDisplay::~ProgressDisplay() {
  if (fd_ >= 0) ::close(fd_);
}

void ProgressDisplay::update(const World& world, int total_cycles, double wall_seconds) {
  if (wall_seconds < next_draw_seconds_) return;
  next_draw_seconds_ = wall_seconds + (terminal_ ? kTerminalRedrawSeconds : kPlainLineSeconds);
  draw(world, total_cycles, wall_seconds);
}

void ProgressDisplay::finish(const World& world, int total_cycles, double wall_seconds) {
  if (!terminal_) return;
  draw(world, total_cycles, wall_seconds);
  write("\n");
}

void ProgressDisplay::draw(const World& world, int total_cycles, double wall_seconds) {
  const std::string status = progressStatus(world, total_cycles, wall_seconds);
  if (!terminal_) return write(status + "\n");
  std::string line = (total_cycles > 0 ? bar(world.cycle(), total_cycles) : "") + status;
  // One column short of the width, so that the line never wraps: a wrapped
  // line could not be redrawn with a carriage return.
  line.resize(std::min<std::size_t>(line.size(), terminalColumns(fd_) - 1));
  write("\r" + line + "\033[K");
}

void ProgressDisplay::write(const std::string& text) const {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = ::write(fd_, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    written += static_cast<std::size_t>(count);
  }
}

}  // namespace fieldsim
