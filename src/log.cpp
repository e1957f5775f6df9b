#include "log.h"

#include <fstream>

Logger BasicLogger("./.logfiles/BasicActions.log", false);
Logger CommLogger("./.logfiles/Communications.log", true);
Logger logger("./.logfiles/Actions.log", true);
Logger WMLogger("./.logfiles/WM.log", false);

Logger::Logger(std::ostream& os, bool enabled)
    : m_OS(os.good() ? &os : nullptr), m_Created(false), m_Enabled(enabled) {}

Logger::Logger(const char* file_name, bool enabled)
    : m_OS(new std::ofstream(file_name, std::ios::out | std::ios::trunc)),
      m_Created(true),
      m_Enabled(enabled) {}

Logger::~Logger() {
  release();
  if (m_Created && m_OS != nullptr) delete m_OS;
}

std::ostream& Logger::target() { return m_Held ? m_HeldItems : *m_OS; }

void Logger::flushUnlessHeld() {
  if (!m_Held) m_OS->flush();
}

template <typename T>
Logger& Logger::put(const T& item) {
  if (m_Enabled && m_OS != nullptr) {
    target() << item;
    flushUnlessHeld();
  }
  return *this;
}

Logger& Logger::operator<<(const char* s) { return put(s); }
Logger& Logger::operator<<(char c) { return put(c); }
Logger& Logger::operator<<(std::string s) { return put(s); }
Logger& Logger::operator<<(int i) { return put(i); }
Logger& Logger::operator<<(double d) { return put(d); }

Logger& Logger::write(const char* data, std::size_t len) {
  if (m_Enabled && m_OS != nullptr) {
    target().write(data, static_cast<std::streamsize>(len));
    flushUnlessHeld();
  }
  return *this;
}

void Logger::hold() { m_Held = true; }

void Logger::release() {
  if (!m_Held) return;
  m_Held = false;
  const std::string items = m_HeldItems.str();
  m_HeldItems.str(std::string());
  if (items.empty() || m_OS == nullptr) return;
  m_OS->write(items.data(), static_cast<std::streamsize>(items.size()));
  m_OS->flush();
}

bool Logger::setEnabled(bool enabled) {
  m_Enabled = enabled;
  return true;
}

bool Logger::getEnabled() const { return m_Enabled; }
