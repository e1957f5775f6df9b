// printf-style formatting into a string of exactly the needed length. Most
// texts fit a small buffer and are formatted once; a longer one is formatted
// again at its length.
#ifndef FIELDSIM_FORMATTED_H
#define FIELDSIM_FORMATTED_H

#include <cstdio>
#include <string>

namespace fieldsim {

template <typename... Args>
std::string formatted(const char* pattern, Args... args) {
  char buffer[256];
  const int size = std::snprintf(buffer, sizeof buffer, pattern, args...);
  if (size <= 0) return {};
  if (static_cast<std::size_t>(size) < sizeof buffer) return std::string(buffer, size);
  std::string text(static_cast<std::size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, pattern, args...);
  return text;
}

// "1 kick", "0 kicks", "3 kicks".
inline std::string counted(int count, const char* noun) {
  return formatted("%d %s%s", count, noun, count == 1 ? "" : "s");
}

}  // namespace fieldsim

#endif
