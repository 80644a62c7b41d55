#pragma once
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace nv::test {

// Points every per-user and machine location of a started program into `home`, so that a
// test run never reads or writes the real hives, autostart folder or instance lock.
inline void UseProgramHome(const QTemporaryDir& home, QProcessEnvironment& env) {
  QDir(home.path()).mkpath("run");
  QFile::setPermissions(home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  env.insert("HOME", home.path());
  env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
  env.insert("XDG_CONFIG_HOME", home.filePath("config"));
  env.insert("XDG_STATE_HOME", home.filePath("state"));
  env.insert("XDG_CACHE_HOME", home.filePath("cache"));
  env.insert("NORVANE_REGISTRY_DIR", home.filePath("registry"));
  env.insert("NORVANE_AUTOSTART_DIR", home.filePath("autostart"));
}

}  // namespace nv::test
