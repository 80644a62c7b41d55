#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <string>
#include <map>
#include <utility>
#include <vector>

#include "platform/linux/hotkeys/portal_hotkeys.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

// A private session bus, with the fake portal on it when a mode is given; the bus can also
// start the portal on demand, as a desktop's bus does.
class PortalHotKeysTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }

  // `startDelay`: when given, the bus starts the portal on demand, and the portal takes that
  // many seconds to take its name.
  void StartBus(const char* startDelay = nullptr) {
    QStringList arguments{QStringLiteral("--nofork"), QStringLiteral("--print-address=1")};
    if (startDelay) {
      std::ofstream(folder_ / "bus.conf")
          << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\" "
             "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
             "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><servicedir>"
          << folder_ / "services"
          << "</servicedir><policy context=\"default\"><allow send_destination=\"*\"/><allow own=\"*\"/><allow receive_sender=\"*\"/></policy>"
             "</busconfig>\n";
      std::filesystem::create_directory(folder_ / "services");
      std::ofstream(folder_ / "services/org.freedesktop.portal.Desktop.service")
          << "[D-BUS Service]\nName=org.freedesktop.portal.Desktop\nExec=/usr/bin/python3 " NORVANE_FAKE_PORTAL " "
          << (folder_ / "portal.log") << " bind " << startDelay << "\n";
      arguments.prepend(QStringLiteral("--config-file=") + QString::fromStdString(folder_ / "bus.conf"));
    } else {
      arguments.prepend(QStringLiteral("--session"));
    }
    bus_.start(QStringLiteral("dbus-daemon"), arguments);
    ASSERT_TRUE(bus_.waitForStarted()) << "dbus-daemon is missing (scripts/setup installs it)";
    ASSERT_TRUE(bus_.waitForReadyRead(10000)) << bus_.readAllStandardError().toStdString();
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
  }

  void StartPortal(const char* mode) {
    portal_.setProcessEnvironment(BusEnvironment());
    portal_.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(NORVANE_FAKE_PORTAL), QString::fromStdString(folder_ / "portal.log"), QLatin1String(mode)});
    ASSERT_TRUE(portal_.waitForReadyRead(10000)) << "the fake portal did not start: " << portal_.readAllStandardError().toStdString();
  }

  void StopPortal() {
    portal_.kill();
    portal_.waitForFinished();
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

  QProcessEnvironment BusEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    return env;
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

  // Calls one of the fake portal's own methods, as a test drives it.
  void Drive(const char* method, QStringList arguments) {
    QProcess send;
    send.setProcessEnvironment(BusEnvironment());
    arguments.prepend(QStringLiteral("org.norvane.test.FakePortal.") + QLatin1String(method));
    arguments = QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                            QStringLiteral("--dest=org.freedesktop.portal.Desktop"),
                            QStringLiteral("/org/freedesktop/portal/desktop")} +
                arguments;
    send.start(QStringLiteral("dbus-send"), arguments);
    ASSERT_TRUE(send.waitForFinished(10000));
    ASSERT_EQ(send.exitCode(), 0) << send.readAllStandardError().toStdString();
  }
  void Activate(const char* id) { Drive("Activate", {QStringLiteral("string:") + QLatin1String(id)}); }

  test::TempFolder folder_;
  QProcess bus_, portal_;
  QString address_;
};

// Each id's last outcome in words: "held", "held as <the portal's trigger>", or the reason.
struct Recorder {
  std::map<int, std::string> outcomes;
  std::vector<std::pair<uint32_t, uint32_t>> delivered;
  void Attach(HotKeys& hotKeys) {
    hotKeys.SetOutcomeHandler([this](int id, const HotKeyOutcome& o) { outcomes[id] = Words(o); });
    hotKeys.SetHandler([this](uint32_t m, uint32_t k) { delivered.emplace_back(m, k); });
  }
  static std::string Words(const HotKeyOutcome& o) {
    if (!o) return o.error().reason;
    return o->trigger.empty() ? "held" : "held as " + o->trigger;
  }
  bool AllAre(const std::string& words) const {
    if (outcomes.size() != 4) return false;
    for (const auto& [id, said] : outcomes)
      if (said != words) return false;
    return true;
  }
};

constexpr uint32_t kAltShift = mod::Alt | mod::Shift;

// Registers the four default keys; none is answered at once, whatever the portal does.
void RegisterDefaults(HotKeys& hotKeys) {
  int id = 1331;
  for (char key : {'A', 'T', 'M', 'E'}) {
    const auto outcome = hotKeys.RegisterHotKey(id++, kAltShift, key);
    EXPECT_FALSE(outcome) << "answered later";
  }
}

TEST_F(PortalHotKeysTest, BindsTheFourCombinationsInOneSessionAndDeliversActivations) {
  StartBus();
  StartPortal("bind");
  PortalHotKeys hotKeys(Connect(), [](int id) { return "action " + std::to_string(id); });
  Recorder recorder;
  recorder.Attach(hotKeys);
  RegisterDefaults(hotKeys);
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("held"); })) << recorder.outcomes.size();

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

  // The desktop's user gives a key another trigger: the key shows what the portal now holds.
  Drive("ChangeTrigger", {QStringLiteral("string:1332"), QStringLiteral("string:LOGO+F9")});
  ASSERT_TRUE(WaitFor([&] { return recorder.outcomes[1332] == "held as LOGO+F9"; })) << recorder.outcomes[1332];
}

TEST_F(PortalHotKeysTest, SavingTheSameKeysKeepsTheSessionAndNewKeysBindAnew) {
  StartBus();
  StartPortal("bind");
  PortalHotKeys hotKeys(Connect(), nullptr);
  Recorder recorder;
  recorder.Attach(hotKeys);
  RegisterDefaults(hotKeys);
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("held"); }));

  // Released and registered again unchanged: still bound at once, nothing asked of the portal.
  recorder.outcomes.clear();
  for (int released = 1331; released <= 1334; ++released) hotKeys.UnregisterHotKey(released);
  int id = 1331;
  for (char key : {'A', 'T', 'M', 'E'}) {
    const auto outcome = hotKeys.RegisterHotKey(id++, kAltShift, key);
    EXPECT_TRUE(outcome) << "still held";
  }
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("held"); }));
  EXPECT_EQ(Calls().size(), 2u);

  // A new combination for the last slot: the old session closes, a new one binds all four.
  recorder.outcomes.clear();
  for (int released = 1331; released <= 1334; ++released) hotKeys.UnregisterHotKey(released);
  id = 1331;
  for (char key : {'A', 'T', 'M'}) static_cast<void>(hotKeys.RegisterHotKey(id++, kAltShift, key));
  EXPECT_EQ(hotKeys.RegisterHotKey(1334, mod::Control, 'Q').error().reason, kHotKeyAnswerAwaited);
  EXPECT_EQ(hotKeys.RegisterHotKey(1335, mod::Control, 'Q').error().reason,
            "Another hot key of this program has the combination");
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("held"); }));
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

// What each kind of portal leaves on the four keys, with the reason the user is given.
TEST_F(PortalHotKeysTest, EveryPortalThatDoesNotBindGivesItsReason) {
  struct Case {
    const char* mode;  // nullptr: no portal at all
    std::map<int, std::string> outcomes;
  };
  auto all = [](const std::string& words) {
    return std::map<int, std::string>{{1331, words}, {1332, words}, {1333, words}, {1334, words}};
  };
  const Case cases[] = {
      {"deny", all("The desktop portal refused the shortcuts")},
      {"error", all("The desktop portal failed: refused")},
      {"bare", all("The desktop portal offers no global shortcuts")},
      {nullptr, all("No desktop portal runs on the session bus")},
      {"silent", all("The desktop portal has not answered yet; the keys are bound when it does")},
      {"own", {{1331, "held as LOGO+F1"}, {1332, "held as LOGO+F2"}, {1333, "held as LOGO+F3"}, {1334, "held as LOGO+F4"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode ? c.mode : "no portal");
    StartBus();
    if (c.mode) StartPortal(c.mode);
    PortalHotKeys hotKeys(Connect(), nullptr);
    Recorder recorder;
    recorder.Attach(hotKeys);
    RegisterDefaults(hotKeys);
    EXPECT_TRUE(WaitFor([&] { return recorder.outcomes == c.outcomes; }, PortalHotKeys::kAnswerWaitMs + 3000))
        << recorder.outcomes[1331];
    TearDown();
    QFile::remove(QString::fromStdString(folder_ / "portal.log"));
  }
}

TEST_F(PortalHotKeysTest, APortalThatComesLateOrRestartsGetsTheKeysBoundAgain) {
  StartBus();
  PortalHotKeys hotKeys(Connect(), nullptr);
  Recorder recorder;
  recorder.Attach(hotKeys);
  RegisterDefaults(hotKeys);
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("No desktop portal runs on the session bus"); }));

  StartPortal("bind");
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("held"); })) << recorder.outcomes[1331];

  StopPortal();
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("The desktop portal left the session bus"); }))
      << recorder.outcomes[1331];

  StartPortal("bind");
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("held"); })) << recorder.outcomes[1331];
  Activate("1334");
  ASSERT_TRUE(WaitFor([&] { return recorder.delivered.size() == 1; }));
  EXPECT_EQ(recorder.delivered[0], std::pair(kAltShift, uint32_t{'E'}));
}

// A portal the bus starts on demand, slowly: the keys read as unregistered meanwhile, with
// that reason, and are bound once it answers.
TEST_F(PortalHotKeysTest, APortalStartedOnDemandBindsWhenItAnswers) {
  StartBus("5");
  PortalHotKeys hotKeys(Connect(), nullptr);
  Recorder recorder;
  recorder.Attach(hotKeys);
  RegisterDefaults(hotKeys);
  ASSERT_TRUE(WaitFor([&] {
    return recorder.AllAre("The desktop portal has not answered yet; the keys are bound when it does");
  }));
  ASSERT_TRUE(WaitFor([&] { return recorder.AllAre("held"); }, 15000)) << recorder.outcomes[1331];
}

}  // namespace
}  // namespace nv
