// The package of this build on a fresh minimal Debian system, as a user of the distribution
// gets it: apt-get installs it with every dependency it names, the CLI and the program run
// (the program offscreen, with no library or plugin missing), the helper has its capabilities,
// and after the program has written its settings, autostart entry and swap-file service, a
// purge leaves nothing behind. The system is a debootstrap chroot under the build folder, made
// once from the mirror that this machine's apt sources name and kept for later runs.
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/linux/registry/swap_file_configuration.h"
#include "platform/shell_command.h"
#include "platform/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using nv::test::CommandResult;

CommandResult Shell(const std::string& command) { return nv::test::RunCommand(command + " 2>&1"); }
std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// The suite this machine runs and the Debian mirror its apt sources take it from.
struct Mirror {
  std::string suite, address;
};

Mirror MachineMirror() {
  Mirror mirror;
  mirror.suite = FirstLine(Shell(". /etc/os-release && echo \"$VERSION_CODENAME\"").out);
  std::istringstream targets(
      Shell("apt-get indextargets --format '$(RELEASE) $(TARGET_OF) $(REPO_URI)'").out);
  for (std::string release, type, address; targets >> release >> type >> address;)
    if (release == mirror.suite && type == "deb") mirror.address = address;
  return mirror;
}

// An exclusive lock on the cache, so that two runs do not build or read it at once.
class CacheLock {
 public:
  explicit CacheLock(const fs::path& folder) {
    fs::create_directories(folder);
    fd_ = ::open((folder / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~CacheLock() {
    if (fd_ >= 0) ::close(fd_);
  }

 private:
  int fd_ = -1;
};

// A system root unpacked from the cached debootstrap result, with /proc mounted. It goes in
// every way out of the test, but only once nothing is mounted beneath it any more: removing
// it through a mount would remove what the mount shows.
class FreshSystem {
 public:
  explicit FreshSystem(const fs::path& root) : root_(root) {}
  ~FreshSystem() {
    if (procMounted_ && ::umount2((root_ / "proc").c_str(), MNT_DETACH) != 0) return;
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  FreshSystem(const FreshSystem&) = delete;
  FreshSystem& operator=(const FreshSystem&) = delete;

  bool MountProc() {
    procMounted_ = ::mount("proc", (root_ / "proc").c_str(), "proc", 0, nullptr) == 0;
    return procMounted_;
  }
  const fs::path& Root() const { return root_; }
  // `command` run by sh inside the system, with a plain environment.
  CommandResult Run(const std::string& command) const {
    return Shell("chroot " + Quoted(root_) + " /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:"
                 "/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive sh -c '" + command + "'");
  }
  // Every path of the system but those of the package tools' own records, of the kernel, and
  // of root's home folder (what a user keeps at home stays: a package never touches homes).
  std::set<std::string> Paths() const {
    std::istringstream listing(Run("find / -xdev \\( -path /proc -o -path /tmp -o -path /var/lib/dpkg -o "
                                   "-path /var/lib/apt -o -path /var/cache/apt -o -path /var/cache/debconf -o "
                                   "-path /var/cache/ldconfig -o -path /var/log -o -path /root \\) -prune -o -print").out);
    std::set<std::string> paths;
    for (std::string line; std::getline(listing, line);) paths.insert(line);
    return paths;
  }

 private:
  fs::path root_;
  bool procMounted_ = false;
};

std::string Joined(const std::set<std::string>& paths) {
  std::string text;
  for (const auto& path : paths) text += path + "\n";
  return text;
}

std::set<std::string> Added(const std::set<std::string>& before, const std::set<std::string>& after) {
  std::set<std::string> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::inserter(added, added.end()));
  return added;
}

class CleanSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to make a chroot with debootstrap and install a package into it";
    if (Shell("command -v debootstrap").exit != 0) GTEST_SKIP() << "debootstrap is not installed (scripts/setup installs it)";
    mirror_ = MachineMirror();
    if (mirror_.suite.empty() || mirror_.address.empty())
      GTEST_SKIP() << "this machine's apt sources name no Debian mirror for its own suite";
  }

  // The debootstrap result of this suite, made when the cache lacks it.
  fs::path BaseArchive() {
    const fs::path archive = cache_ / (mirror_.suite + "-minbase.tar");
    if (fs::exists(archive)) return archive;
    nv::test::TempFolder made;
    const CommandResult bootstrap = Shell("debootstrap --variant=minbase " + mirror_.suite + " " +
                                          Quoted(made.Path() / "root") + " " + mirror_.address);
    if (bootstrap.exit != 0) {
      ADD_FAILURE() << "debootstrap from " << mirror_.address << " failed:\n" << bootstrap.out;
      return {};
    }
    const CommandResult packed = Shell("tar -C " + Quoted(made.Path() / "root") + " -cf " + Quoted(archive) + ".part . && mv " +
                                       Quoted(archive) + ".part " + Quoted(archive));
    EXPECT_EQ(packed.exit, 0) << packed.out;
    return archive;
  }

  // This build's package, made by cpack into `folder`.
  fs::path Package(const fs::path& folder) {
    const CommandResult made = Shell("'" NV_CPACK "' --config '" NV_CPACK_CONFIG "' -B " + Quoted(folder));
    EXPECT_EQ(made.exit, 0) << made.out;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".deb") return entry.path();
    return {};
  }

  Mirror mirror_;
  const fs::path cache_ = fs::path(NV_BUILD_DIR) / "chroot-cache";
};

TEST_F(CleanSystem, InstallsWithItsDependenciesRunsAndPurgesWithoutATrace) {
  CacheLock lock(cache_);
  const fs::path base = BaseArchive();
  ASSERT_FALSE(base.empty());
  nv::test::TempFolder work;
  const fs::path deb = Package(work.Path());
  ASSERT_FALSE(deb.empty());
  // A package of the distribution's layout passes lintian's pedantic checks, but for what its
  // overrides answer (each with its reason).
  if (std::string(NV_INSTALL_PREFIX) == "/usr" && Shell("command -v lintian").exit == 0) {
    EXPECT_EQ(Shell("lintian --pedantic -I -E " + Quoted(deb)).out, "");
  }

  FreshSystem system(fs::path(NV_BUILD_DIR) / ("chroot-" + std::to_string(::getpid())));
  fs::create_directories(system.Root());
  const CommandResult unpacked = Shell("tar -C " + Quoted(system.Root()) + " -xf " + Quoted(base));
  ASSERT_EQ(unpacked.exit, 0) << unpacked.out;
  ASSERT_TRUE(system.MountProc());
  fs::copy_file("/etc/resolv.conf", system.Root() / "etc/resolv.conf", fs::copy_options::overwrite_existing);
  // The packages fetched by earlier runs, so that a second run downloads nothing.
  const fs::path archives = cache_ / "archives", lists = cache_ / "lists";
  fs::create_directories(archives);
  fs::create_directories(lists);
  ASSERT_EQ(Shell("cp -a " + Quoted(archives) + "/. " + Quoted(system.Root() / "var/cache/apt/archives") + " && cp -a " +
                  Quoted(lists) + "/. " + Quoted(system.Root() / "var/lib/apt/lists"))
                .exit,
            0);
  fs::copy_file(deb, system.Root() / "tmp" / deb.filename());
  const std::set<std::string> before = system.Paths();

  const CommandResult install = system.Run("apt-get update -q && apt-get install -y -q --no-install-recommends /tmp/" +
                                           deb.filename().string());
  Shell("cp -a " + Quoted(system.Root() / "var/cache/apt/archives") + "/*.deb " + Quoted(archives) + " ; cp -a " +
        Quoted(system.Root() / "var/lib/apt/lists") + "/. " + Quoted(lists));
  ASSERT_EQ(install.exit, 0) << install.out;
  EXPECT_EQ(install.out.find("norvane: "), std::string::npos) << "the post-install step complained:\n" << install.out;

  // The listing sees what the package put there: the comparison after the purge means something.
  const std::set<std::string> installed = Added(before, system.Paths());
  EXPECT_EQ(installed.count(NV_INSTALL_PREFIX "/bin/norvane"), 1u) << Joined(installed);
  EXPECT_EQ(installed.count(NV_INSTALL_PREFIX "/share/doc/norvane"), 1u) << Joined(installed);
  // Qt's Wayland platform came with it, as a dependency.
  EXPECT_TRUE(std::any_of(installed.begin(), installed.end(), [](const std::string& path) {
    return path.find("/qt6/plugins/platforms/libqwayland") != std::string::npos;
  })) << Joined(installed);

  const CommandResult status = system.Run("norvane-cli status");
  EXPECT_EQ(status.exit, 0) << status.out;
  EXPECT_NE(status.out.find("\nTotalPhys "), std::string::npos) << status.out;
  const std::string helper = NV_INSTALL_PREFIX "/" NV_RECLAIM_RELATIVE_PATH;
  // The one capability the helper needs for process_madvise, and nothing more.
  EXPECT_EQ(system.Run("getcap " + helper).out, helper + " cap_sys_nice=ep\n");

  // The program for five seconds, offscreen, its update check pointed at a port where nothing
  // listens: still running when timeout ends it (124), and nothing missing on the way.
  const CommandResult program = system.Run("QT_QPA_PLATFORM=offscreen NORVANE_UPDATE_HOST=127.0.0.1:9 timeout 5 norvane");
  EXPECT_EQ(program.exit, 124) << program.out;
  for (const char* missing : {"error while loading shared libraries", "Could not find the Qt platform plugin",
                              "Could not load the Qt platform plugin", "cannot open shared object"})
    EXPECT_EQ(program.out.find(missing), std::string::npos) << program.out;

  // What the program writes outside its package: the machine's hive and the autostart entry
  // (the Run value), the swap-file service (the paging setting, written by the program's own
  // code into this system) and a swap file as that service would make it.
  const CommandResult run = system.Run("norvane-cli reg add \"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\" "
                                       "\"Velqor Norvane\" REG_SZ " NV_INSTALL_PREFIX "/bin/norvane");
  ASSERT_EQ(run.exit, 0) << run.out;
  ASSERT_TRUE(fs::exists(system.Root() / "etc/xdg/autostart/velqor-norvane.desktop"));
  ASSERT_TRUE(nv::SwapFileConfiguration(system.Root().string()).SetSystemManaged());
  nv::test::WriteText((system.Root() / "norvane.swap").string(), "");

  // Removed, the package keeps what it wrote for the purge; the autostart entry names the
  // program in TryExec, so desktops pass over it.
  const CommandResult removed = system.Run("apt-get remove -y -q norvane");
  ASSERT_EQ(removed.exit, 0) << removed.out;
  EXPECT_EQ(FirstLine(system.Run("dpkg-query -W -f=\\${db:Status-Abbrev} norvane").out), "rc ");
  const std::string entry = nv::test::ReadText((system.Root() / "etc/xdg/autostart/velqor-norvane.desktop").string());
  EXPECT_NE(entry.find("\nTryExec=" NV_INSTALL_PREFIX "/bin/norvane\n"), std::string::npos) << entry;
  EXPECT_FALSE(fs::exists(system.Root() / std::string(NV_INSTALL_PREFIX "/bin/norvane").substr(1)));

  const CommandResult purged = system.Run("apt-get purge -y -q --autoremove norvane");
  ASSERT_EQ(purged.exit, 0) << purged.out;
  EXPECT_NE(purged.out.find("the swap file /norvane.swap stays"), std::string::npos) << purged.out;
  fs::remove(system.Root() / "norvane.swap");
  EXPECT_EQ(Joined(Added(before, system.Paths())), "") << "left behind by the purge";
}

}  // namespace
