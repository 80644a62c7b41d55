#pragma once
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace nv::test {

// An HTTP server on 127.0.0.1 that answers every request with the reply it is given, and
// can misbehave on purpose: hold a connection without answering, stream a body that never
// ends, send its body in four pieces with a pause before each, or trickle it a byte at a time
// with a pause before each byte. It serves one connection at a time on its own thread.
class LocalHttpServer {
 public:
  enum class Behaviour { Answer, NeverAnswer, EndlessBody, SlowBody, Trickle };
  struct Reply {
    int status = 200;
    std::string body;
    Behaviour behaviour = Behaviour::Answer;
    int pauseMs = 0;  // SlowBody: the pause before each quarter of the body; Trickle: each byte
  };

  LocalHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(stop_, O_CLOEXEC) != 0)
      throw std::runtime_error("test server could not listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }

  ~LocalHttpServer() {
    const char byte = 0;
    (void)!::write(stop_[1], &byte, 1);
    thread_.join();
    for (int fd : held_) ::close(fd);
    ::close(listener_);
    ::close(stop_[0]);
    ::close(stop_[1]);
  }

  // "127.0.0.1:<port>", the form a host name takes in an address.
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& path) const { return "http://" + Host() + path; }

  void SetReply(Reply reply) {
    std::lock_guard lock(mutex_);
    reply_ = std::move(reply);
  }
  // How many of the connections held unanswered the client still keeps open: a client that
  // gave its request up has closed its end.
  int OpenHeldConnections() const {
    std::lock_guard lock(mutex_);
    int open = 0;
    for (int fd : held_) {
      char byte;
      const ssize_t got = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
      open += got > 0 || (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    }
    return open;
  }
  // The head (request line and header lines) of every request received so far.
  std::vector<std::string> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  // Waits for the listener or a connection to have data; false once the server is stopping.
  bool WaitReadable(int fd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
    }
    return !(fds[1].revents & POLLIN);
  }

  // Waits `ms` unless the server is stopping; false when it is.
  bool Pause(int ms) {
    pollfd stop = {stop_[0], POLLIN, 0};
    return ::poll(&stop, 1, ms) == 0;
  }

  void Serve() {
    while (WaitReadable(listener_)) {
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      std::string head;
      char chunk[4096];
      while (head.find("\r\n\r\n") == std::string::npos && WaitReadable(client)) {
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        head.append(chunk, static_cast<size_t>(n));
      }
      Reply reply;
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
        reply = reply_;
      }
      if (reply.behaviour == Behaviour::NeverAnswer) {
        std::lock_guard lock(mutex_);
        held_.push_back(client);
        continue;
      }
      if (reply.behaviour == Behaviour::EndlessBody) {
        SendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n");
        const std::string filler(4096, 'x');
        while (SendAll(client, filler)) {
        }
      } else {
        const bool slow = reply.behaviour == Behaviour::SlowBody || reply.behaviour == Behaviour::Trickle;
        SendAll(client, "HTTP/1.1 " + std::to_string(reply.status) + " Status\r\nContent-Type: text/plain\r\n" +
                            "Content-Length: " + std::to_string(reply.body.size()) +
                            "\r\nConnection: close\r\n\r\n" + (slow ? std::string() : reply.body));
        const size_t piece = reply.behaviour == Behaviour::Trickle ? 1 : (reply.body.size() + 3) / 4;
        for (size_t at = 0; slow && at < reply.body.size(); at += piece)
          if (!Pause(reply.pauseMs) || !SendAll(client, reply.body.substr(at, piece))) break;
      }
      ::close(client);
    }
  }

  static bool SendAll(int fd, const std::string& data) {
    for (size_t sent = 0; sent < data.size();) {
      const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }

  int listener_ = -1;
  int stop_[2] = {-1, -1};
  int port_ = 0;
  std::vector<int> held_;
  mutable std::mutex mutex_;
  Reply reply_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace nv::test
