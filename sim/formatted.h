// printf-style formatting into a string of exactly the needed length.
#ifndef FIELDSIM_FORMATTED_H
#define FIELDSIM_FORMATTED_H

#include <cstdio>
#include <string>

namespace fieldsim {

template <typename... Args>
std::string formatted(const char* pattern, Args... args) {
  const int size = std::snprintf(nullptr, 0, pattern, args...);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, pattern, args...);
  return text;
}

}  // namespace fieldsim

#endif
