// Length-prefixed framing of every message between the server and an agent:
// a 4-byte big-endian length, then that many bytes of text.
#ifndef FIELDSIM_FRAME_H
#define FIELDSIM_FRAME_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fieldsim {

// Frames longer than this are refused: no agent message comes near it.
constexpr std::uint32_t kMaxFrameBytes = 64 * 1024;

std::string encodeFrame(std::string_view text);

// Collects the bytes of one connection as they arrive and cuts them into
// messages, however the stream was split or joined.
class FrameReader {
 public:
  void append(const char* data, std::size_t size);
  // The next complete message, if one has arrived. After a frame announces
  // more than kMaxFrameBytes, nothing more is returned and failed() is true.
  std::optional<std::string> next();
  bool failed() const { return failed_; }
  // Bytes received but not yet returned as a message.
  std::size_t pending() const { return buffer_.size() - begin_; }

 private:
  std::string buffer_;
  std::size_t begin_ = 0;
  bool failed_ = false;
};

}  // namespace fieldsim

#endif
