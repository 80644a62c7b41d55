#pragma once
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "program_home_variables.h"

namespace nv::test {

// Points every per-user and machine location of a program started with `env` into `home`.
inline void UseProgramHome(const QTemporaryDir& home, QProcessEnvironment& env) {
  MakeRuntimeFolder(home.path().toStdString());
  for (const auto& [name, value] : ProgramHomeVariables(home.path().toStdString()))
    env.insert(QString::fromStdString(name), QString::fromStdString(value));
}

}  // namespace nv::test
