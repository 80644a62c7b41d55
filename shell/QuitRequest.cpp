#include "shell/QuitRequest.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

namespace nv {
namespace {

constexpr qsizetype kLongestRequest = 64;

// One connected client. Its words are read as they come; the connection closes at "quit", at
// the end of a line or once longer than any request, and when the client hangs up.
class QuitRequestClient : public QObject {
 public:
  QuitRequestClient(int fd, QuitRequestServer* server)
      : QObject(server), fd_(fd), readable_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
    connect(readable_, &QSocketNotifier::activated, this, [this, server] { Read(*server); });
  }
  ~QuitRequestClient() override { ::close(fd_); }

 private:
  void Read(QuitRequestServer& server) {
    char buffer[kLongestRequest];
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (got > 0) request_.append(buffer, got);
    const bool quit = request_.startsWith("quit");
    if (quit || got <= 0 || request_.size() >= kLongestRequest || request_.contains('\n')) {
      readable_->setEnabled(false);
      deleteLater();
    }
    if (quit) emit server.QuitRequested();
  }

  int fd_;
  QSocketNotifier* readable_;
  QByteArray request_;
};

}  // namespace

QuitRequestServer::QuitRequestServer(QObject* parent) : QObject(parent) {}

QuitRequestServer::~QuitRequestServer() {
  if (listening_ < 0) return;
  ::close(listening_);
  ::unlink(path_.constData());
}

bool QuitRequestServer::Listen(const QString& path) {
  const QByteArray file = path.toLocal8Bit();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // Only an absolute path: a relative one would put the socket in whatever folder the program
  // started from, and the unlink below would delete a file of that name there.
  if (!file.startsWith('/') || static_cast<size_t>(file.size()) >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, file.constData(), static_cast<size_t>(file.size()));

  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // The socket file takes the socket's mode when it is bound: only the user may connect.
  ::fchmod(fd, S_IRUSR | S_IWUSR);
  ::unlink(file.constData());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
    ::close(fd);
    return false;
  }
  listening_ = fd;
  path_ = file;
  auto* incoming = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(incoming, &QSocketNotifier::activated, this, &QuitRequestServer::Accept);
  return true;
}

void QuitRequestServer::Accept() {
  for (int client; (client = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;)
    new QuitRequestClient(client, this);
}

}  // namespace nv
