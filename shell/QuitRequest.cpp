#include "shell/QuitRequest.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace nv {
namespace {
constexpr int kLongestRequest = 64;
}

QuitRequestServer::QuitRequestServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
      connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      connect(client, &QLocalSocket::readyRead, this, [this, client] {
        const QByteArray request = client->peek(kLongestRequest);
        if (request.startsWith("quit")) {
          client->disconnectFromServer();
          emit QuitRequested();
        } else if (request.size() >= kLongestRequest || request.contains('\n')) {
          client->disconnectFromServer();
        }
      });
    }
  });
}

bool QuitRequestServer::Listen(const QString& path) {
  QLocalServer::removeServer(path);
  return server_->listen(path);
}

}  // namespace nv
