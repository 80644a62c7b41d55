#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

namespace nv {

// Stands in for the quit request message: a local socket beside the single-instance lock.
// A client that connects and sends "quit" ends the running instance. A plain Unix socket
// watched by the event loop: Qt's local sockets would map all of QtNetwork for this one use.
class QuitRequestServer : public QObject {
  Q_OBJECT
 public:
  explicit QuitRequestServer(QObject* parent = nullptr);
  ~QuitRequestServer() override;
  // Starts listening at `path`, replacing a socket left behind by an instance that died.
  bool Listen(const QString& path);

 signals:
  void QuitRequested();

 private:
  void Accept();

  int listening_ = -1;
  QByteArray path_;
};

}  // namespace nv
