#include "frame.h"

namespace fieldsim {
namespace {

constexpr std::size_t kPrefixBytes = 4;

std::uint32_t decodeLength(const char* prefix) {
  std::uint32_t length = 0;
  for (std::size_t i = 0; i < kPrefixBytes; ++i) {
    length = (length << 8) | static_cast<unsigned char>(prefix[i]);
  }
  return length;
}

}  // namespace

std::string encodeFrame(std::string_view text) {
  const auto length = static_cast<std::uint32_t>(text.size());
  std::string frame;
  frame.reserve(kPrefixBytes + text.size());
  for (int shift = 24; shift >= 0; shift -= 8) {
    frame.push_back(static_cast<char>((length >> shift) & 0xff));
  }
  frame.append(text);
  return frame;
}

void FrameReader::append(const char* data, std::size_t size) {
  // Drop what has been handed out before the buffer grows again.
  if (begin_ > 0) {
    buffer_.erase(0, begin_);
    begin_ = 0;
  }
  buffer_.append(data, size);
}

std::optional<std::string> FrameReader::next() {
  if (failed_ || pending() < kPrefixBytes) return std::nullopt;
  const std::uint32_t length = decodeLength(buffer_.data() + begin_);
  if (length > kMaxFrameBytes) {
    failed_ = true;
    return std::nullopt;
  }
  if (pending() < kPrefixBytes + length) return std::nullopt;
  std::string text = buffer_.substr(begin_ + kPrefixBytes, length);
  begin_ += kPrefixBytes + length;
  return text;
}

}  // namespace fieldsim
