#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <map>
#include <utility>
#include <vector>

#include "platform/linux/portal_hotkeys.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

// A private session bus, with the fake portal on it when a mode is given.
class PortalHotKeysTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }

  void StartBus() {
    bus_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                               QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus_.waitForStarted()) << "dbus-daemon is missing (scripts/setup installs it)";
    ASSERT_TRUE(bus_.waitForReadyRead(10000));
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
  }

  void StartPortal(const char* mode) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    portal_.setProcessEnvironment(env);
    portal_.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(NORVANE_FAKE_PORTAL), QString::fromStdString(folder_ / "portal.log"), QLatin1String(mode)});
    ASSERT_TRUE(portal_.waitForReadyRead(10000)) << "the fake portal did not start: " << portal_.readAllStandardError().toStdString();
  }

  QDBusConnection Connect() {
    static int connections = 0;
    return QDBusConnection::connectToBus(address_, QStringLiteral("portal-test-%1").arg(++connections));
  }

  void TearDown() override {
    for (QProcess* p : {&portal_, &bus_}) {
      p->kill();
      p->waitForFinished();
    }
  }

  // The calls the portal received, in order: the call's name, then what it carried.
  std::vector<QJsonObject> Calls() {
    std::vector<QJsonObject> calls;
    QFile log(QString::fromStdString(folder_ / "portal.log"));
    if (!log.open(QIODevice::ReadOnly)) return calls;
    for (const QByteArray& line : log.readAll().split('\n'))
      if (!line.isEmpty()) calls.push_back(QJsonDocument::fromJson(line).object());
    return calls;
  }

  static bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  }

  void Activate(const char* id) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    QProcess send;
    send.setProcessEnvironment(env);
    send.start(QStringLiteral("dbus-send"), {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                             QStringLiteral("--dest=org.freedesktop.portal.Desktop"),
                                             QStringLiteral("/org/freedesktop/portal/desktop"),
                                             QStringLiteral("org.norvane.test.FakePortal.Activate"),
                                             QStringLiteral("string:") + QLatin1String(id)});
    ASSERT_TRUE(send.waitForFinished(10000));
    ASSERT_EQ(send.exitCode(), 0) << send.readAllStandardError().toStdString();
  }

  test::TempFolder folder_;
  QProcess bus_, portal_;
  QString address_;
};

struct Recorder {
  std::map<int, bool> outcomes;
  std::vector<std::pair<uint32_t, uint32_t>> delivered;
  void Attach(HotKeys& hotKeys) {
    hotKeys.SetOutcomeHandler([this](int id, bool registered) { outcomes[id] = registered; });
    hotKeys.SetHandler([this](uint32_t m, uint32_t k) { delivered.emplace_back(m, k); });
  }
};

constexpr uint32_t kAltShift = mod::Alt | mod::Shift;

void RegisterDefaults(HotKeys& hotKeys) {
  int id = 1331;
  for (char key : {'A', 'T', 'M', 'E'}) EXPECT_FALSE(hotKeys.RegisterHotKey(id++, kAltShift, key)) << "answered later";
}

TEST_F(PortalHotKeysTest, BindsTheFourCombinationsInOneSessionAndDeliversActivations) {
  StartBus();
  StartPortal("bind");
  PortalHotKeys hotKeys(Connect(), [](int id) { return "action " + std::to_string(id); });
  Recorder recorder;
  recorder.Attach(hotKeys);
  RegisterDefaults(hotKeys);
  ASSERT_TRUE(WaitFor([&] { return recorder.outcomes.size() == 4; }));
  EXPECT_EQ(recorder.outcomes, (std::map<int, bool>{{1331, true}, {1332, true}, {1333, true}, {1334, true}}));

  const auto calls = Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0]["call"].toString(), "CreateSession");
  EXPECT_EQ(calls[1]["call"].toString(), "BindShortcuts");
  std::map<QString, std::pair<QString, QString>> shortcuts;
  for (const auto& s : calls[1]["shortcuts"].toArray()) {
    const QJsonObject properties = s.toArray()[1].toObject();
    shortcuts[s.toArray()[0].toString()] = {properties["preferred_trigger"].toString(), properties["description"].toString()};
  }
  EXPECT_EQ(shortcuts, (std::map<QString, std::pair<QString, QString>>{{"1331", {"ALT+SHIFT+a", "action 1331"}},
                                                                      {"1332", {"ALT+SHIFT+t", "action 1332"}},
                                                                      {"1333", {"ALT+SHIFT+m", "action 1333"}},
                                                                      {"1334", {"ALT+SHIFT+e", "action 1334"}}}));

  Activate("1333");
  Activate("1331");
  ASSERT_TRUE(WaitFor([&] { return recorder.delivered.size() == 2; }));
  EXPECT_EQ(recorder.delivered, (std::vector<std::pair<uint32_t, uint32_t>>{{kAltShift, 'M'}, {kAltShift, 'A'}}));
}

TEST_F(PortalHotKeysTest, SavingTheSameKeysKeepsTheSessionAndNewKeysBindAnew) {
  StartBus();
  StartPortal("bind");
  PortalHotKeys hotKeys(Connect(), nullptr);
  Recorder recorder;
  recorder.Attach(hotKeys);
  RegisterDefaults(hotKeys);
  ASSERT_TRUE(WaitFor([&] { return recorder.outcomes.size() == 4; }));

  // Released and registered again unchanged: still bound, nothing asked of the portal.
  recorder.outcomes.clear();
  for (int id = 1331; id <= 1334; ++id) hotKeys.UnregisterHotKey(id);
  RegisterDefaults(hotKeys);
  ASSERT_TRUE(WaitFor([&] { return recorder.outcomes.size() == 4; }));
  EXPECT_EQ(Calls().size(), 2u);

  // A new combination for the last slot: the old session closes, a new one binds all four.
  recorder.outcomes.clear();
  for (int id = 1331; id <= 1334; ++id) hotKeys.UnregisterHotKey(id);
  int id = 1331;
  for (char key : {'A', 'T', 'M'}) hotKeys.RegisterHotKey(id++, kAltShift, key);
  EXPECT_FALSE(hotKeys.RegisterHotKey(1334, mod::Control, 'Q'));
  EXPECT_FALSE(hotKeys.RegisterHotKey(1335, mod::Control, 'Q')) << "one combination, one id";
  ASSERT_TRUE(WaitFor([&] { return recorder.outcomes.size() == 4; }));
  EXPECT_TRUE(recorder.outcomes[1334]);
  const auto calls = Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[2]["call"].toString(), "Close");
  EXPECT_EQ(calls[2]["session"], calls[1]["session"]);
  EXPECT_EQ(calls[3]["call"].toString(), "CreateSession");
  EXPECT_EQ(calls[4]["shortcuts"].toArray()[3].toArray()[1].toObject()["preferred_trigger"].toString(), "CTRL+q");

  // Only the live session's activations count.
  Activate("1334");
  ASSERT_TRUE(WaitFor([&] { return recorder.delivered.size() == 1; }));
  EXPECT_EQ(recorder.delivered[0], std::pair(uint32_t{mod::Control}, uint32_t{'Q'}));
}

TEST_F(PortalHotKeysTest, APortalThatRefusesLeavesEveryKeyUnregistered) {
  for (const char* mode : {"deny", "error"}) {
    SCOPED_TRACE(mode);
    StartBus();
    StartPortal(mode);
    PortalHotKeys hotKeys(Connect(), nullptr);
    Recorder recorder;
    recorder.Attach(hotKeys);
    RegisterDefaults(hotKeys);
    ASSERT_TRUE(WaitFor([&] { return recorder.outcomes.size() == 4; }));
    EXPECT_EQ(recorder.outcomes, (std::map<int, bool>{{1331, false}, {1332, false}, {1333, false}, {1334, false}}));
    TearDown();
    QFile::remove(QString::fromStdString(folder_ / "portal.log"));
  }
}

TEST_F(PortalHotKeysTest, WithoutAPortalNothingRegistersAndNothingIsAnsweredLater) {
  StartBus();
  PortalHotKeys hotKeys(Connect(), nullptr);
  Recorder recorder;
  recorder.Attach(hotKeys);
  RegisterDefaults(hotKeys);
  EXPECT_FALSE(WaitFor([&] { return !recorder.outcomes.empty(); }, 500));
}

}  // namespace
}  // namespace nv
