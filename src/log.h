// A switchable output stream that flushes every item, so a log is complete up
// to its last item even when the process is killed. While held (LogHold), the
// items wait and then go out together in one write.
#ifndef VEXA_LOG_H
#define VEXA_LOG_H

#include <ostream>
#include <sstream>
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

  // From hold() on, items are kept back; release() writes them all with one
  // write and flush, and writes at once again from then on.
  void hold();
  void release();

 private:
  template <typename T>
  Logger& put(const T& item);
  std::ostream& target();
  void flushUnlessHeld();

  std::ostream* m_OS;
  bool m_Created;
  bool m_Enabled;
  bool m_Held = false;
  std::ostringstream m_HeldItems;  // formatted as m_OS would format them
};

// Holds a logger for the life of a scope: everything logged in it goes out
// in one write at its end.
class LogHold {
 public:
  explicit LogHold(Logger& log) : m_Log(log) { m_Log.hold(); }
  ~LogHold() { m_Log.release(); }
  LogHold(const LogHold&) = delete;
  LogHold& operator=(const LogHold&) = delete;

 private:
  Logger& m_Log;
};

extern Logger BasicLogger;
extern Logger CommLogger;
extern Logger logger;
extern Logger WMLogger;

#endif
