#include <gtest/gtest.h>

#include "platform/linux/system/process_name.h"

namespace nv {
namespace {

TEST(ProcessName, KernelNameUnlessTheExeLinkOrAMatchingArgv0CompletesIt) {
  struct Row {
    const char* what;
    std::string_view comm, exeLink, argv0, name;
  };
  const Row rows[] = {
      {"exe link readable", "sleep", "/usr/bin/sleep", "sleep", "sleep"},
      {"exe link of a replaced file", "cron", "/usr/sbin/cron (deleted)", "", "cron"},
      {"a file really named so keeps the rest", "x", "/opt/a (deleted) (deleted)", "", "a (deleted)"},
      {"argv[0] rewritten to a login banner", "sleep", "", "sshd: root@pts/0", "sleep"},
      {"argv[0] that mimics stat fields", "sleep", "", "odd (name) x 9", "sleep"},
      {"argv[0] equal to the kernel's name", "my tool", "", "/opt/odd dir/my tool", "my tool"},
      {"argv[0] completes a full 15-byte name", "gsd-screensaver", "", "/usr/libexec/gsd-screensaver-proxy",
       "gsd-screensaver-proxy"},
      {"a shorter name is whole: argv[0] only repeats it", "sleep", "", "/bin/sleepy", "sleep"},
      {"argv[0] differs within the 15 bytes", "gsd-screensaver", "", "gsd-screensavex-proxy", "gsd-screensaver"},
      {"no argv (a zombie)", "defunct", "", "", "defunct"},
      {"argv[0] ends in a slash", "bash", "", "/tmp/", "bash"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(ProcessNameOf(row.comm, row.exeLink, row.argv0), row.name);
  }
}

TEST(ProcessName, TheDeletedMarkIsStrippedFromTheEndOnly) {
  EXPECT_EQ(WithoutDeletedMark("/usr/sbin/cron (deleted)"), "/usr/sbin/cron");
  EXPECT_EQ(WithoutDeletedMark("/usr/sbin/cron"), "/usr/sbin/cron");
  EXPECT_EQ(WithoutDeletedMark("/opt/ (deleted)/x"), "/opt/ (deleted)/x");
  EXPECT_EQ(WithoutDeletedMark(""), "");
}

}  // namespace
}  // namespace nv
