#pragma once
// A datagram socket bound in the abstract namespace, standing in for the
// caller that receives the page-exit notifications.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace codexel::testing {

class TestSocket {
 public:
  explicit TestSocket(const std::string& name) {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  }
  ~TestSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  TestSocket(const TestSocket&) = delete;
  TestSocket& operator=(const TestSocket&) = delete;

  bool bound() const { return bound_; }

  // Every datagram waiting now, oldest first.
  std::vector<std::string> Drain() {
    std::vector<std::string> received;
    char buffer[256];
    for (;;) {
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n < 0) break;
      received.emplace_back(buffer, static_cast<std::size_t>(n));
    }
    return received;
  }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

}  // namespace codexel::testing
