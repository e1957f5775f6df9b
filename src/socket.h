// TCP/UDP sockets over POSIX (IPv4) and the server's length-prefixed framing.
#ifndef VEXA_SOCKET_H
#define VEXA_SOCKET_H

#include <netinet/in.h>
#include <sys/select.h>

enum ConnectionT { CONN_TCP = 0, CONN_UDP = 1, CONN_ILLEGAL = 2 };

// Owns one socket descriptor (-1 when none is open).
class TDataPorter {
 public:
  TDataPorter(ConnectionT conn, int socket_fd);
  ~TDataPorter();
  TDataPorter(const TDataPorter&) = delete;
  TDataPorter& operator=(const TDataPorter&) = delete;

  ConnectionT getConnectionType() const;
  int getSocketFD() const;
  bool setSocketFD(int socket_fd, ConnectionT conn);
  bool active() const;
  bool open();
  bool reOpen();
  bool closeAll();

  int sendMessage(const void* msg, int iLength) const;
  int sendMessageUDP(const void* msg, int iLength, const sockaddr_in* remote) const;
  int recvMessage(void* msg, int iMaxLength, int time_out) const;
  int waitForData(fd_set& fds, int iSecs) const;
  int readMessage(void* msg, int iLength) const;
  int writeMessage(const void* msg, int iLength) const;
  int writeMessage(const char* msg) const;

 private:
  int m_SocketFD;
  ConnectionT m_ConnectionType;
};

// A socket with its local and remote addresses, as client or server.
class TConnection {
 public:
  TConnection(ConnectionT conn, const char* strHost, int iPort);
  ~TConnection();
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  bool connected() const;
  ConnectionT getConnectionType() const;
  int getSocketFD() const;
  int getLocalPort() const;
  bool setLocalPort(int iPort);

  bool openConnection(const char* str, int iPort);
  bool startServer(int iPort);
  bool waitForConnection();
  bool closeConnection();

  bool waitForData(int time_out) const;
  bool sendMessage(const char* strMsg) const;
  bool sendData(const void* data, int iLength) const;
  bool writeMessage(const void* msg, int iLength) const;
  bool writeMessage(const char* msg) const;
  bool readMessage(void* msg, int iMaxLength) const;
  bool recvMessage(char* strMsg, int iMaxLen, int time_out, bool close_empty);

 protected:
  sockaddr_in m_SelfAddress;
  sockaddr_in m_Remote;
  TDataPorter* m_SocketFD;
};

// The largest message the agent accepts: the receive buffer's 16 KiB less the
// 4-byte length prefix and the terminating NUL.
const int kMaxMessageLength = 16384 - 4 - 1;

// The agent's connection to the simulation server: every message either way
// is a 4-byte big-endian length followed by the text.
class TRoboCupConnection : public TConnection {
 public:
  TRoboCupConnection(const char* strHost, int iPort);
  ~TRoboCupConnection();

  // Frames and sends one message; true only when the whole frame went out.
  bool sendCommand(const char* msg) const;
  // Receives one frame whose body is at most iMaxLen bytes into msg (room
  // for iMaxLen + 1 bytes) as a NUL-terminated string. False when the
  // stream ends or fails, or the frame is longer.
  bool getMessage(char* msg, int iMaxLen) const;
};

#endif
