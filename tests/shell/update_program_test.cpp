// The real program's start-up: the product values it keeps in the user hive and the silent
// update check it runs beside its window, against a server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "program_home.h"

#include "fakes/local_http_server.h"
#include "platform/linux/registry/hive_environment.h"
#include "update/product_values.h"

namespace nv {
namespace {

using test::LocalHttpServer;
constexpr auto HKCU = RootKey::HKeyCurrentUser;

class UpdateAtStart : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    nv::test::UseProgramHome(home, env);
    env.insert("NORVANE_UPDATE_HOST", QString::fromStdString(server.Host()));
    // The update file is missing on this server: no question, and nothing is written.
    server.SetReply({404, "not here"});
  }

  // The user hive as the program sees it.
  HiveRegistry UserHive() {
    return HiveRegistry(HiveLocationsFrom(
        [this](const char* name) -> std::optional<std::string> {
          if (!env.contains(name)) return std::nullopt;
          return env.value(name).toStdString();
        },
        home.path().toStdString()));
  }

  // Runs the program until its window listens for quit requests and the server has had
  // `requests` requests (none: for two seconds), runs `whileUp`, then asks it to quit; answers
  // how long the quitting took.
  std::chrono::milliseconds RunOnce(size_t requests, const std::function<void()>& whileUp = [] {}) {
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(NORVANE_BINARY), {});
    EXPECT_TRUE(program.waitForStarted(5000));
    EXPECT_TRUE(test::WaitUntilListening(program, test::QuitSocket(home))) << "the window never came up";
    QElapsedTimer clock;
    clock.start();
    while (server.Requests().size() < std::max<size_t>(requests, 1) && clock.elapsed() < (requests ? 10000 : 2000))
      QThread::msleep(20);
    whileUp();
    clock.restart();
    EXPECT_TRUE(test::RequestQuit(test::QuitSocket(home)));
    EXPECT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    return std::chrono::milliseconds(clock.elapsed());
  }

  QTemporaryDir home;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  LocalHttpServer server;
};

TEST_F(UpdateAtStart, AFirstStartWritesTheProductValuesAndChecks) {
  RunOnce(1);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET /products/system-utility/velqor-norvane/update/Update.ini HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(requests[0].find("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"), std::string::npos);

  auto hive = UserHive();
  const auto help = hive.ReadValue(HKCU, kProductKey, "HelpURL");
  ASSERT_TRUE(help.has_value());
  EXPECT_EQ(help->AsString(), "http://" + server.Host() + "/products/system-utility/velqor-norvane/help/");
  const auto homePage = hive.ReadValue(HKCU, kProductKey, "HomePage");
  ASSERT_TRUE(homePage.has_value());
  EXPECT_EQ(homePage->AsString(), "http://" + server.Host() + "/products/system-utility/velqor-norvane/");
  const auto check = hive.ReadValue(HKCU, kProductKey, "CheckUpdate");
  ASSERT_TRUE(check.has_value());
  EXPECT_EQ(check->type, reg::Dword);
  EXPECT_EQ(check->AsDword(), 1u);
}

TEST_F(UpdateAtStart, CheckUpdateZeroStartsWithoutACheck) {
  ASSERT_TRUE(UserHive().WriteValue(HKCU, kProductKey, "CheckUpdate", RegValue::Dword(0)));
  RunOnce(0);
  EXPECT_TRUE(server.Requests().empty());
}

// The window comes up while the server holds the request unanswered, and the program quits
// at once when asked, without waiting out the request's five-second read timeout.
TEST_F(UpdateAtStart, AServerThatNeverAnswersHoldsNeitherTheWindowNorTheWayOut) {
  server.SetReply({200, "", LocalHttpServer::Behaviour::NeverAnswer});
  const auto quitting = RunOnce(1, [this] {
    EXPECT_EQ(server.OpenHeldConnections(), 1) << "the window came up only after the request was given up";
  });
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.OpenHeldConnections(), 0);
  EXPECT_LT(quitting, std::chrono::milliseconds(4000));
}

}  // namespace
}  // namespace nv
