#include "platform/linux/system/process_name.h"

#include "platform/linux/system/proc_file.h"

namespace nv {

std::string_view WithoutDeletedMark(std::string_view exeLink) {
  constexpr std::string_view kMark = " (deleted)";
  if (exeLink.size() > kMark.size() && exeLink.ends_with(kMark)) exeLink.remove_suffix(kMark.size());
  return exeLink;
}

std::string_view ProcessNameOf(std::string_view comm, std::string_view exeLink, std::string_view argv0) {
  if (!exeLink.empty()) return FileNameOf(WithoutDeletedMark(exeLink));
  const std::string_view argv0Name = FileNameOf(argv0);
  const bool completesComm =
      argv0Name == comm || (comm.size() >= kKernelNameBytes && argv0Name.starts_with(comm));
  return completesComm ? argv0Name : comm;
}

}  // namespace nv
