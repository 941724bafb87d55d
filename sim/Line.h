#pragma once

// The simulator's end of the serial line: the master side of a new
// pseudo-terminal (its slave path published, optionally as a symlink) or a
// real serial device.

#include <string>

namespace tessaro::sim {

class Line {
 public:
  Line() = default;
  ~Line() { Close(); }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  // The slave side starts raw at `baud`, and nobody holds it.
  bool OpenPty(const std::string& linkPath, int baud, std::string* error);
  bool OpenDevice(const std::string& path, int baud, std::string* error);
  void Close();

  int Fd() const { return fd_; }
  bool IsPty() const { return pty_; }
  const std::string& Path() const { return path_; }

  // The speed the line is set to (on a pty: what the PC set on the slave), in
  // bits per second; 0 when it cannot be read or is not a known rate.
  int ReadSpeed() const;
  // Sets the device's speed once everything written has left; false if refused.
  bool SetSpeed(int baud);
  // Forgets bytes queued in either direction (a pty would keep them for the next
  // opener).  Call only while nobody holds the slave.
  void Discard();

 private:
  int fd_ = -1;
  bool pty_ = false;
  std::string path_;
  std::string link_;
};

// Bits per second <-> termios speed; 0 for rates the platform does not name.
int SpeedToBaud(unsigned long speed);
unsigned long BaudToSpeed(int baud);

}  // namespace tessaro::sim
