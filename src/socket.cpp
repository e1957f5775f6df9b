#include "socket.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "log.h"

// ---------------------------------------------------------------------------
// TDataPorter

TDataPorter::TDataPorter(ConnectionT conn, int socket_fd) : m_SocketFD(-1), m_ConnectionType(conn) {
  setSocketFD(socket_fd, conn);
}

TDataPorter::~TDataPorter() {
  if (m_SocketFD != -1) close(m_SocketFD);
}

ConnectionT TDataPorter::getConnectionType() const {
  return m_ConnectionType;
}

int TDataPorter::getSocketFD() const {
  return m_SocketFD;
}

bool TDataPorter::setSocketFD(int socket_fd, ConnectionT conn) {
  if (active()) return false;
  m_SocketFD = socket_fd;
  m_ConnectionType = conn;
  return true;
}

bool TDataPorter::active() const {
  return m_SocketFD != -1;
}

bool TDataPorter::open() {
  if (active()) return false;
  const int type = m_ConnectionType == CONN_TCP ? SOCK_STREAM : SOCK_DGRAM;
  m_SocketFD = socket(AF_INET, type, 0);
  if (m_SocketFD == -1) {
    perror("TDataPorter::socket");
    return false;
  }
  const int reuse = 1;
  if (setsockopt(m_SocketFD, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse)) == -1) {
    perror("TDataPorter::setsockopt");
    return false;
  }
  return true;
}

bool TDataPorter::reOpen() {
  closeAll();
  open();
  return true;
}

bool TDataPorter::closeAll() {
  if (!active()) return false;
  close(m_SocketFD);
  m_SocketFD = -1;
  return true;
}

int TDataPorter::sendMessage(const void* msg, int iLength) const {
  if (!active()) return -1;
  if (m_ConnectionType != CONN_TCP) {
    std::cerr << "TDataPorter::sendMessage(TCP): attempted to send to a UDP packet via a TCP socket"
              << "\n";
    return -1;
  }
  // MSG_NOSIGNAL: a peer that has gone away fails the send instead of
  // killing the process with SIGPIPE.
  const int sent = static_cast<int>(send(m_SocketFD, msg, iLength, MSG_NOSIGNAL));
  if (sent == -1) perror("TDataPorter::sendMessage");
  return sent;
}

int TDataPorter::sendMessageUDP(const void* msg, int iLength, const sockaddr_in* remote) const {
  if (!active()) return -1;
  if (m_ConnectionType != CONN_UDP) {
    std::cerr << "TDataPorter::sendMessage(UDP): attempted to send to a TCP packet via a UDP socket"
              << "\n";
    return 0;
  }
  const int sent = static_cast<int>(sendto(
      m_SocketFD, msg, iLength, 0, reinterpret_cast<const sockaddr*>(remote), sizeof(sockaddr_in)));
  if (sent == -1) perror("TDataPorter::sendMessage");
  return sent;
}

int TDataPorter::recvMessage(void* msg, int iMaxLength, int time_out) const {
  if (!active()) return -1;
  fd_set fds;
  const int ready = waitForData(fds, time_out);
  if (ready == -1) {
    perror("TDataPorter::recvMessage(select)");
    return 0;
  }
  if (ready == 0) {
    std::cerr << "TDataPorter::recvMessage: Connection Timed out"
              << "\n";
    return 0;
  }
  if (!FD_ISSET(m_SocketFD, &fds)) return 0;

  int received;
  if (m_ConnectionType == CONN_TCP) {
    received = static_cast<int>(recv(m_SocketFD, msg, iMaxLength, 0));
  } else {
    sockaddr_in sender;
    socklen_t sender_len = sizeof(sender);
    received = static_cast<int>(recvfrom(m_SocketFD, msg, iMaxLength, 0,
                                         reinterpret_cast<sockaddr*>(&sender), &sender_len));
  }
  if (received == -1) {
    perror("TDataPorter::recvMessage");
    return 0;
  }
  if (received == 0) return 0;
  static_cast<char*>(msg)[received] = '\0';
  return received;
}

int TDataPorter::waitForData(fd_set& fds, int iSecs) const {
  FD_ZERO(&fds);
  if (!active()) return -1;
  FD_SET(m_SocketFD, &fds);
  // The wait is iSecs seconds plus one more; Linux refuses a microseconds
  // field of a full second, so the extra second goes into the seconds.
  timeval time_out{iSecs + 1, 0};
  return select(m_SocketFD + 1, &fds, nullptr, nullptr, &time_out);
}

int TDataPorter::readMessage(void* msg, int iLength) const {
  static_cast<char*>(msg)[0] = '\0';
  if (!active()) return 0;
  fd_set fds;
  FD_ZERO(&fds);
  FD_SET(m_SocketFD, &fds);
  if (select(m_SocketFD + 1, &fds, nullptr, nullptr, nullptr) <= 0) return 0;
  // Readable is what counts here; the bytes read, if any, are in msg.
  const ssize_t unused = read(m_SocketFD, msg, iLength);
  static_cast<void>(unused);
  return 1;
}

int TDataPorter::writeMessage(const void* msg, int iLength) const {
  if (!active() || m_ConnectionType != CONN_TCP) return -1;
  return static_cast<int>(write(m_SocketFD, msg, iLength));
}

int TDataPorter::writeMessage(const char* msg) const {
  return writeMessage(msg, static_cast<int>(strlen(msg)));
}

// ---------------------------------------------------------------------------
// TConnection

TConnection::TConnection(ConnectionT conn, const char* strHost, int iPort) {
  memset(&m_SelfAddress, 0, sizeof(m_SelfAddress));
  m_SelfAddress.sin_family = AF_INET;
  memset(&m_Remote, 0, sizeof(m_Remote));
  m_SocketFD = new TDataPorter(conn, -1);
  if (strHost[0] != '\0' && iPort != -1) openConnection(strHost, iPort);
}

TConnection::~TConnection() {
  closeConnection();
  delete m_SocketFD;
}

bool TConnection::connected() const {
  return m_SocketFD->active();
}

ConnectionT TConnection::getConnectionType() const {
  return m_SocketFD->getConnectionType();
}

int TConnection::getSocketFD() const {
  return m_SocketFD->getSocketFD();
}

int TConnection::getLocalPort() const {
  return m_SelfAddress.sin_port;
}

bool TConnection::setLocalPort(int iPort) {
  if (connected()) return false;
  m_SelfAddress.sin_port = static_cast<in_port_t>(iPort);
  return true;
}

bool TConnection::openConnection(const char* str, int iPort) {
  const hostent* host = gethostbyname(str);
  if (host == nullptr) {
    herror("TConnection::gethostbyname");
    return false;
  }
  m_SocketFD->reOpen();

  memset(&m_Remote, 0, sizeof(m_Remote));
  m_Remote.sin_family = AF_INET;
  m_Remote.sin_port = htons(static_cast<uint16_t>(iPort));
  memcpy(&m_Remote.sin_addr, host->h_addr_list[0], sizeof(m_Remote.sin_addr));
  if (getConnectionType() != CONN_TCP) return true;

  if (connect(getSocketFD(), reinterpret_cast<const sockaddr*>(&m_Remote), sizeof(m_Remote)) ==
      -1) {
    perror("TConnection::openConnection");
    return false;
  }
  return true;
}

bool TConnection::startServer(int iPort) {
  if (connected()) return false;
  m_SocketFD->reOpen();
  m_SelfAddress.sin_port = htons(static_cast<uint16_t>(iPort));
  if (bind(getSocketFD(), reinterpret_cast<const sockaddr*>(&m_SelfAddress),
           sizeof(m_SelfAddress)) == -1) {
    perror("TConnection::bind");
    return false;
  }
  if (getConnectionType() == CONN_TCP && listen(getSocketFD(), 5) == -1) {
    perror("TConnection::listen");
    return false;
  }
  return true;
}

namespace {

// Collects the exit status of every child that has ended, so that served
// clients do not linger as zombie processes.
void reapFinishedChildren() {
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

}  // namespace

bool TConnection::waitForConnection() {
  if (getConnectionType() != CONN_TCP) return false;
  reapFinishedChildren();

  sockaddr_in client;
  socklen_t client_len = sizeof(client);
  const int new_fd = accept(getSocketFD(), reinterpret_cast<sockaddr*>(&client), &client_len);
  if (new_fd == -1) {
    perror("TConnection::accept");
    return false;
  }
  std::cout << "server: got connection from " << inet_ntoa(client.sin_addr) << "\n";

  if (fork() == 0) {
    m_SocketFD->closeAll();
    {
      TDataPorter porter(CONN_TCP, new_fd);
      porter.sendMessage("Hello, world!\n", 14);
      porter.closeAll();
    }
    // _exit: the child must not flush the parent's buffered output a second
    // time nor run its static destructors.
    _exit(0);
  }
  close(new_fd);
  return true;
}

bool TConnection::closeConnection() {
  if (!connected()) return false;
  return m_SocketFD->closeAll();
}

bool TConnection::waitForData(int time_out) const {
  fd_set fds;
  return m_SocketFD->waitForData(fds, time_out) >= 0;
}

bool TConnection::sendMessage(const char* strMsg) const {
  return sendData(strMsg, static_cast<int>(strlen(strMsg)));
}

bool TConnection::sendData(const void* data, int iLength) const {
  if (!connected()) return false;
  if (getConnectionType() == CONN_TCP) return m_SocketFD->sendMessage(data, iLength) > 0;
  return m_SocketFD->sendMessageUDP(data, iLength, &m_Remote) > 0;
}

bool TConnection::writeMessage(const void* msg, int iLength) const {
  return m_SocketFD->writeMessage(msg, iLength) > 0;
}

bool TConnection::writeMessage(const char* msg) const {
  return writeMessage(msg, static_cast<int>(strlen(msg)));
}

bool TConnection::readMessage(void* msg, int iMaxLength) const {
  return m_SocketFD->readMessage(msg, iMaxLength) > 0;
}

bool TConnection::recvMessage(char* strMsg, int iMaxLen, int time_out, bool close_empty) {
  if (!connected()) return false;
  const int received = m_SocketFD->recvMessage(strMsg, iMaxLen - 1, time_out);
  if (received == -1) return false;
  if (received > 0) return true;
  if (close_empty) {
    std::cerr << "Nothing recieved, probably a dead connection, disconnecting"
              << "\n";
    closeConnection();
  }
  return false;
}

// ---------------------------------------------------------------------------
// TRoboCupConnection

namespace {

const int kPrefixSize = 4;

// The receive buffer shared by every connection. Bytes that arrived after
// the frame just returned (the start of the next frame) stay in it for the
// next call on the same connection; a call on another connection drops them.
struct ReceiveBuffer {
  static const int kSize = 16384;
  char data[kSize];
  int begin = 0;  // first byte not yet handed out
  int end = 0;    // one past the last byte received
  const TRoboCupConnection* owner = nullptr;
  int owner_fd = -1;

  int held() const { return end - begin; }
  void clear() { begin = end = 0; }

  // Starts a call on `conn`: moves the bytes it still holds to the front,
  // or drops those held for another connection.
  void claim(const TRoboCupConnection* conn, int fd) {
    if (owner != conn || owner_fd != fd) {
      clear();
      owner = conn;
      owner_fd = fd;
    }
    const int count = held();
    memmove(data, data + begin, count);
    begin = 0;
    end = count;
  }
};

ReceiveBuffer& receiveBuffer() {
  static ReceiveBuffer buffer;
  return buffer;
}

uint32_t decodeLength(const char* prefix) {
  uint32_t length;
  memcpy(&length, prefix, sizeof(length));
  return ntohl(length);
}

// Reads whatever the socket has, up to the free room after the held bytes.
// False when the peer has closed or the read failed.
bool readMore(int fd, ReceiveBuffer& buf) {
  for (;;) {
    const ssize_t n = read(fd, buf.data + buf.end, ReceiveBuffer::kSize - buf.end);
    if (n > 0) {
      buf.end += static_cast<int>(n);
      return true;
    }
    if (n == -1 && errno == EINTR) continue;
    return false;
  }
}

// Reads until at least `count` bytes are held (count fits in the buffer).
bool fill(int fd, ReceiveBuffer& buf, int count) {
  while (buf.held() < count) {
    if (!readMore(fd, buf)) return false;
  }
  return true;
}

}  // namespace

TRoboCupConnection::TRoboCupConnection(const char* strHost, int iPort)
    : TConnection(CONN_TCP, strHost, iPort) {}

TRoboCupConnection::~TRoboCupConnection() {
  ReceiveBuffer& buf = receiveBuffer();
  if (buf.owner == this) {
    buf.clear();
    buf.owner = nullptr;
  }
  closeConnection();
}

bool TRoboCupConnection::sendCommand(const char* msg) const {
  if (!connected()) return false;
  const uint32_t len = static_cast<uint32_t>(strlen(msg));
  const uint32_t prefix = htonl(len);
  std::string frame(kPrefixSize + len, '\0');
  memcpy(&frame[0], &prefix, kPrefixSize);
  memcpy(&frame[kPrefixSize], msg, len);

  CommLogger << "Client -> Serever: " << '"';
  CommLogger.write(frame.data(), frame.size());
  CommLogger << '"' << "\n";

  const char* next = frame.data();
  size_t left = frame.size();
  while (left > 0) {
    const ssize_t sent = send(getSocketFD(), next, left, MSG_NOSIGNAL);
    if (sent == -1) {
      if (errno == EINTR) continue;
      return false;
    }
    next += sent;
    left -= static_cast<size_t>(sent);
  }
  return true;
}

bool TRoboCupConnection::getMessage(char* msg, int iMaxLen) const {
  if (!connected() || iMaxLen < 0) return false;
  const int fd = getSocketFD();
  ReceiveBuffer& buf = receiveBuffer();
  buf.claim(this, fd);

  if (!fill(fd, buf, kPrefixSize)) {
    buf.clear();
    return false;
  }
  const uint32_t msgLen = decodeLength(buf.data);
  buf.begin = kPrefixSize;
  // A frame over the limit is refused at once, without waiting for its body
  // (up to 4 GiB): what follows in the stream can no longer be framed.
  if (msgLen > static_cast<uint32_t>(iMaxLen) ||
      msgLen > static_cast<uint32_t>(kMaxMessageLength)) {
    buf.clear();
    return false;
  }
  if (!fill(fd, buf, static_cast<int>(msgLen))) {
    buf.clear();
    return false;
  }

  memcpy(msg, buf.data + buf.begin, msgLen);
  msg[msgLen] = '\0';
  buf.begin += static_cast<int>(msgLen);

  CommLogger << "Server -> Client: " << '"' << msg << '"' << "\n";
  return true;
}
