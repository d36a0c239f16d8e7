#pragma once
// Owns one file descriptor and closes it when it goes away.

#include <unistd.h>

#include <utility>

class BusFd {
 public:
  BusFd() = default;
  explicit BusFd(int fd) : m_fd(fd) {}
  ~BusFd() { Reset(); }
  BusFd(BusFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
  BusFd& operator=(BusFd&& other) noexcept {
    if (this != &other) {
      Reset();
      m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
  }
  BusFd(const BusFd&) = delete;
  BusFd& operator=(const BusFd&) = delete;

  int Get() const { return m_fd; }
  bool IsOpen() const { return m_fd >= 0; }
  void Reset() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd = -1;
};
