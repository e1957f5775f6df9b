// Pieces of JSON: strings escaped so that they can also stand inside an
// HTML script element (the replay page's header), numbers that are never
// NaN or infinite.
#ifndef FIELDSIM_JSON_H
#define FIELDSIM_JSON_H

#include <cmath>
#include <string>

#include "formatted.h"

namespace fieldsim {

// '<' is escaped so that no text can close a script element.
inline std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || c == '<' || code < 0x20) {
      out += formatted("\\u%04x", code);
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// Six significant digits; null for a value that is not finite.
inline std::string jsonNumber(double value) {
  return std::isfinite(value) ? formatted("%.6g", value) : "null";
}

}  // namespace fieldsim

#endif
