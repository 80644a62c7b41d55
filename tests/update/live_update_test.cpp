#include "update/live_update.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "fakes/capturing_log.h"
#include "fakes/fake_registry.h"
#include "fakes/local_http_server.h"
#include "fakes/recording_shell_exec.h"
#include "fakes/scripted_dialogs.h"
#include "fakes/write_denied_folder.h"
#include "platform/error.h"
#include "platform/linux/http/fetcher_http.h"
#include "platform/linux/desktop/qt_shell_exec.h"
#include "update/product_values.h"

namespace nv {
namespace {

namespace fs = std::filesystem;
using test::LocalHttpServer;
using Behaviour = LocalHttpServer::Behaviour;

constexpr char kUpdatePath[] = "/products/system-utility/velqor-norvane/update/Update.ini";

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string UpdateFile(const std::string& version) { return "[Version]\r\nVer=" + version + "\r\n"; }

// Every box, notice and ending lands in one list, so that their order can be checked.
class Journal {
 public:
  std::vector<std::string> events;
  LiveUpdateHooks Hooks() {
    return {[this] { events.push_back("show notice"); }, [this] { events.push_back("destroy notice"); },
            [this] { events.push_back("terminate"); }};
  }
};

class JournalDialogs : public test::ScriptedDialogs {
 public:
  explicit JournalDialogs(Journal& journal) : journal_(journal) {}
  bool AskYesNo(const std::string& text, Icon icon) override {
    journal_.events.push_back("ask: " + text);
    return ScriptedDialogs::AskYesNo(text, icon);
  }
  void Inform(const std::string& title, const std::string& text) override {
    journal_.events.push_back("inform: " + text);
    ScriptedDialogs::Inform(title, text);
  }

 private:
  Journal& journal_;
};

class LiveUpdateCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("nv-live-update-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "program");
    fs::create_directories(root / "store");
    shell.programFolder = (root / "program").string() + "/";
    ::setenv("NORVANE_UPDATE_HOST", server.Host().c_str(), 1);
    registry.Set(RootKey::HKeyCurrentUser, kProductKey, "Version", RegValue::String("2010.1.2"));
  }
  void TearDown() override {
    ::unsetenv("NORVANE_UPDATE_HOST");
    fs::remove_all(root);
  }

  LiveUpdate Check(ShellExec& shellExec) {
    return LiveUpdate(registry, dialogs, shellExec, journal.Hooks(), VirtualStore(root / "store"));
  }
  LiveUpdate Check() { return Check(shell); }
  // The whole check, its request made on this thread.
  void Run(LiveUpdate check, bool interactive) {
    const HttpRequest request = check.Begin(interactive);
    check.Finish(http.Get(request));
  }
  void Serve(const std::string& body, int status = 200) { server.SetReply({status, body, Behaviour::Answer}); }
  fs::path LocalCopy() const { return root / "program" / "Update.ini"; }
  fs::path StoreCopy() const { return root / "store" / fs::path(LocalCopy()).relative_path(); }
  std::vector<std::string> Events(std::initializer_list<std::string> list) { return list; }

  fs::path root;
  LocalHttpServer server;
  FetcherHttp http{NV_FETCHER};
  test::FakeRegistry registry;
  Journal journal;
  JournalDialogs dialogs{journal};
  test::RecordingShellExec shell;
};

const std::string kAsk = std::string("ask: ") + kNewerVersionQuestion;
const std::string kInform = std::string("inform: ") + kUpToDateMessage;

// Starts programs for real, from a program folder the test chooses.
class ShellExecInFolder : public QtShellExec {
 public:
  explicit ShellExecInFolder(std::string folder) : folder_(std::move(folder)) {}
  std::string ProgramFolder() override { return folder_; }

 private:
  std::string folder_;
};

TEST_F(LiveUpdateCheck, YesToANewerVersionStartsTheUpdaterAndEndsTheProgram) {
  const auto updater = root / "program" / "nvUpdate.exe";
  const auto marker = root / "program" / "updater-ran";
  std::ofstream(updater) << "#!/bin/sh\ntouch '" << marker.string() << "'\n";
  fs::permissions(updater, fs::perms::owner_all);
  ShellExecInFolder realShell(shell.programFolder);
  Serve(UpdateFile("2010.1.3"));

  Run(Check(realShell), true);

  EXPECT_EQ(journal.events, Events({"show notice", "destroy notice", kAsk, "terminate"}));
  EXPECT_EQ(dialogs.shown.at(0).icon, Dialogs::Icon::Information);
  for (int i = 0; i < 100 && !fs::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(fs::exists(marker)) << "nvUpdate.exe was not started";
  EXPECT_EQ(Slurp(StoreCopy()), UpdateFile("2010.1.3"));
}

TEST_F(LiveUpdateCheck, TheRequestIsOneGetOfTheUpdateFileWithTheClientsHeaders) {
  Serve(UpdateFile("2010.1.2"));
  Run(Check(), false);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind(std::string("GET ") + kUpdatePath + " HTTP/1.1\r\n", 0), 0u) << requests[0];
  EXPECT_NE(requests[0].find("\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"), std::string::npos);
  EXPECT_NE(requests[0].find("\r\nAccept: text/html, */*\r\n"), std::string::npos);
  EXPECT_EQ(requests[0].find("Range:"), std::string::npos);
}

TEST_F(LiveUpdateCheck, NoToANewerVersionGoesOnAndYesWithoutAnUpdaterOpensTheDownloadPage) {
  Serve(UpdateFile("2011"));
  dialogs.answers = {false, true};
  Run(Check(), false);
  EXPECT_EQ(journal.events, Events({kAsk}));
  EXPECT_TRUE(shell.started.empty());
  EXPECT_TRUE(shell.opened.empty());

  // Yes with no updater in the folder, as on Linux: the product's home page is opened and the
  // program goes on.
  registry.Set(RootKey::HKeyCurrentUser, kProductKey, "HomePage", RegValue::String("http://mine.example/download/"));
  Run(Check(), false);
  EXPECT_EQ(journal.events, Events({kAsk, kAsk}));
  EXPECT_TRUE(shell.started.empty());
  EXPECT_EQ(shell.opened, std::vector<std::string>{"http://mine.example/download/"});
  EXPECT_TRUE(dialogs.Texts("error").empty());
}

TEST_F(LiveUpdateCheck, AnUpdaterThatDoesNotStartIsLoggedAndTheDownloadPageOpened) {
  const auto updater = root / "program" / "nvUpdate.exe";
  std::ofstream(updater) << "not a program\n";  // no execute permission
  test::CapturingLog log;
  Serve(UpdateFile("2010.1.3"));
  dialogs.answers = {true};
  registry.keys.clear();  // no HomePage value: its default
  registry.Set(RootKey::HKeyCurrentUser, kProductKey, "Version", RegValue::String("2010.1.2"));

  class OpenRecorder : public ShellExecInFolder {
   public:
    using ShellExecInFolder::ShellExecInFolder;
    Result<void> Open(const std::string& target) override {
      opened.push_back(target);
      return {};
    }
    std::vector<std::string> opened;
  } recorder(shell.programFolder);
  Run(Check(recorder), false);

  EXPECT_EQ(journal.events, Events({kAsk})) << "the program goes on";
  EXPECT_EQ(recorder.opened, std::vector<std::string>{HomePageAddress()});
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_NE(log.lines[0].message.find("The updater did not start"), std::string::npos) << log.lines[0].message;
}

TEST_F(LiveUpdateCheck, NoUpdateIsOfferedWhenTheServerHasNoNewerVersion) {
  struct Case {
    const char* name;
    LocalHttpServer::Reply reply;
  };
  const Case cases[] = {
      {"same version", {200, UpdateFile("2010.1.2"), Behaviour::Answer}},
      {"older version", {200, UpdateFile("2010.1.10"), Behaviour::Answer}},
      {"no Ver key", {200, "[Version]\r\nVersion=2099\r\n", Behaviour::Answer}},
      {"redirect, not followed", {302, UpdateFile("2099"), Behaviour::Answer}},
      {"not found", {404, UpdateFile("2099"), Behaviour::Answer}},
      {"server error", {500, UpdateFile("2099"), Behaviour::Answer}},
      {"endless body", {200, "", Behaviour::EndlessBody}},
  };
  for (const auto& c : cases) {
    for (bool interactive : {true, false}) {
      journal.events.clear();
      server.SetReply(c.reply);
      Run(Check(), interactive);
      if (interactive)
        EXPECT_EQ(journal.events, Events({"show notice", "destroy notice", kInform})) << c.name;
      else
        EXPECT_TRUE(journal.events.empty()) << c.name;
    }
  }
  EXPECT_TRUE(shell.started.empty());
  EXPECT_EQ(dialogs.shown.at(0).title, "Velqor Norvane");
}

TEST_F(LiveUpdateCheck, AnUnreachableServerIsNoUpdate) {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);  // nothing listens on that port now
  ::setenv("NORVANE_UPDATE_HOST", ("127.0.0.1:" + std::to_string(ntohs(address.sin_port))).c_str(), 1);

  test::CapturingLog log;
  Run(Check(), true);
  EXPECT_EQ(journal.events, Events({"show notice", "destroy notice", kInform}));
  ASSERT_EQ(log.lines.size(), 1u) << "the user is told only that there is no update";
  EXPECT_NE(log.lines[0].message.find("update file was not downloaded from http://127.0.0.1:"), std::string::npos) << log.lines[0].message;
  EXPECT_NE(log.lines[0].message.find("onnect"), std::string::npos) << "why: " << log.lines[0].message;
  journal.events.clear();
  Run(Check(), false);
  EXPECT_TRUE(journal.events.empty());
}

TEST_F(LiveUpdateCheck, AServerThatNeverAnswersIsAbandonedAfterTheReadTimeout) {
  server.SetReply({200, "", Behaviour::NeverAnswer});
  const auto start = std::chrono::steady_clock::now();
  Run(Check(), true);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(journal.events, Events({"show notice", "destroy notice", kInform}));
  EXPECT_GE(waited, std::chrono::milliseconds(5000));
  EXPECT_LT(waited, std::chrono::seconds(60)) << "the check hung";
}

TEST_F(LiveUpdateCheck, AServerThatTricklesTheFileIsAFailedCheckAfterFifteenSeconds) {
  // A newer version, one byte a second: never 5 s silent, but 25 s in all.
  server.SetReply({200, UpdateFile("2010.1.3"), Behaviour::Trickle, 1000});
  const auto start = std::chrono::steady_clock::now();
  Run(Check(), true);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(journal.events, Events({"show notice", "destroy notice", kInform}));
  EXPECT_GE(waited, std::chrono::seconds(15));
  EXPECT_LT(waited, std::chrono::seconds(20)) << "the check outlived its deadline";
}

TEST_F(LiveUpdateCheck, AFailedDownloadKeepsTheEarlierFileAndLeavesNoTemporaryFile) {
  Serve(UpdateFile("2010.1.3"));
  dialogs.answers = {false};
  Run(Check(), false);
  ASSERT_EQ(Slurp(StoreCopy()), UpdateFile("2010.1.3"));

  // The earlier file names a newer version, but this check fetched nothing: no offer.
  for (auto reply : {LocalHttpServer::Reply{500, "", Behaviour::Answer}, LocalHttpServer::Reply{200, "", Behaviour::EndlessBody}}) {
    journal.events.clear();
    server.SetReply(reply);
    Run(Check(), false);
    EXPECT_TRUE(journal.events.empty());
    EXPECT_EQ(Slurp(StoreCopy()), UpdateFile("2010.1.3"));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(StoreCopy().parent_path()), fs::directory_iterator()), 1);
}

TEST_F(LiveUpdateCheck, AShorterDownloadAfterALongerOneIsReadAlone) {
  Serve("[Version]\r\nVer=2010.1.1\r\n[Notes]\r\n" + std::string(4000, ';') + "\r\n[Version]\r\nVer=2099\r\n");
  Run(Check(), false);
  EXPECT_TRUE(journal.events.empty());

  Serve("[Version]\nVer=2010.1.3\n");
  dialogs.answers = {false};
  Run(Check(), false);
  EXPECT_EQ(journal.events, Events({kAsk}));
  EXPECT_EQ(Slurp(StoreCopy()), "[Version]\nVer=2010.1.3\n");
}

TEST_F(LiveUpdateCheck, TheDownloadGoesToTheVirtualStoreNeverIntoTheProgramsFolder) {
  Serve(UpdateFile("2010.1.2"));
  for (bool writable : {true, false}) {
    std::optional<test::WriteDeniedFolder> denied;
    if (!writable) denied.emplace(root / "program");
    Run(Check(), false);
    EXPECT_TRUE(journal.events.empty());
    EXPECT_EQ(Slurp(StoreCopy()), UpdateFile("2010.1.2")) << "program folder writable: " << writable;
    EXPECT_FALSE(fs::exists(LocalCopy())) << "program folder writable: " << writable;
    fs::remove(StoreCopy());
  }
}

TEST_F(LiveUpdateCheck, ErrorsEndTheCheckAfterTheNoticeIsDestroyed) {
  Serve(UpdateFile("2010.1.3"));
  {
    test::WriteDeniedFolder store(root / "store");
    try {
      Run(Check(), true);
      ADD_FAILURE() << "an unwritable folder passed";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + StoreCopy().string() + "\". Permission denied");
    }
  }
  EXPECT_EQ(journal.events, Events({"show notice", "destroy notice"}));

  journal.events.clear();
  registry.Set(RootKey::HKeyCurrentUser, kProductKey, "Version", RegValue::Dword(2010));
  try {
    Run(Check(), true);
    ADD_FAILURE() << "a number as the installed version passed";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Version'");
  }
  EXPECT_EQ(journal.events, Events({"show notice", "destroy notice"}));
}

TEST_F(LiveUpdateCheck, NoInstalledVersionMakesAnyVersionNewer) {
  registry.keys.clear();
  Serve(UpdateFile("1"));
  dialogs.answers = {false};
  Run(Check(), false);
  EXPECT_EQ(journal.events, Events({kAsk}));
}

}  // namespace
}  // namespace nv
