#pragma once
#include <QObject>
#include <QString>

class QLocalServer;

namespace nv {

// Stands in for the quit request message: a local socket beside the single-instance lock.
// A client that connects and sends "quit" ends the running instance.
class QuitRequestServer : public QObject {
  Q_OBJECT
 public:
  explicit QuitRequestServer(QObject* parent = nullptr);
  // Starts listening at `path`, replacing a socket left behind by an instance that died.
  bool Listen(const QString& path);

 signals:
  void QuitRequested();

 private:
  QLocalServer* server_;
};

}  // namespace nv
