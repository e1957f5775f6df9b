// A switchable output stream that flushes every item, so a log is complete up
// to its last item even when the process is killed.
#ifndef VEXA_LOG_H
#define VEXA_LOG_H

#include <ostream>
#include <string>

class Logger {
 public:
  // Writes to `os`, which stays owned by the caller; a stream that is not in
  // a good state is not kept and the logger then writes nothing.
  Logger(std::ostream& os, bool enabled);
  // Opens (and empties) `file_name`; if it cannot be opened, items are lost.
  Logger(const char* file_name, bool enabled);
  ~Logger();
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  Logger& operator<<(const char* s);
  Logger& operator<<(char c);
  Logger& operator<<(std::string s);
  Logger& operator<<(int i);
  Logger& operator<<(double d);

  // Writes `len` bytes as they are, NUL bytes included.
  Logger& write(const char* data, std::size_t len);

  bool setEnabled(bool enabled);
  bool getEnabled() const;

 private:
  template <typename T>
  Logger& put(const T& item);

  std::ostream* m_OS;
  bool m_Created;
  bool m_Enabled;
};

extern Logger BasicLogger;
extern Logger CommLogger;
extern Logger logger;
extern Logger WMLogger;

#endif
