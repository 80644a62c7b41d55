#include "engine/trim_pass.h"

#include <algorithm>

#include "engine/memory_units.h"
#include "platform/log.h"

namespace nv {

namespace {

int64_t Change(uint64_t before, uint64_t after) { return static_cast<int64_t>(after) - static_cast<int64_t>(before); }

uint64_t Growth(uint64_t before, uint64_t after) { return after > before ? after - before : 0; }

std::string Megabytes(uint64_t bytes) { return std::to_string(MegabytesDown(bytes)) + " MB"; }

std::string AvailableText(int64_t change) {
  const uint64_t size = change < 0 ? uint64_t(-change) : uint64_t(change);
  return Megabytes(size) + (change < 0 ? " less available" : " more available");
}

}  // namespace

uint64_t TrimPassFigures::StillCached() const {
  return swapCachedChange > 0 ? std::min<uint64_t>(uint64_t(swapCachedChange), PagedOut()) : 0;
}

const ReclaimOutcome* TrimPassFigures::PrivilegeMissing() const {
  if (pageOut.advised + cold.advised > 0) return nullptr;
  if (pageOut.privilegeMissing) return &pageOut;
  return cold.privilegeMissing ? &cold : nullptr;
}

std::string TrimResultLine(const TrimPassFigures& f) {
  std::string line = "Last pass: " + Megabytes(f.PagedOut()) + " paged out";
  if (MegabytesDown(f.StillCached()) > 0) line += " (" + Megabytes(f.StillCached()) + " to swap, still cached)";
  if (!f.measured) return line;
  line += ", " + AvailableText(f.availableChange) + ", " + Megabytes(f.cameBack) + " came back";
  if (f.swapReserveReached) line += "; swap nearly full (" + Megabytes(f.swapFree) + " free): nothing went to swap";
  return line;
}

TrimPass::TrimPass(Processes& processes, Reclaimer& reclaimer, ReclaimMeter& meter, FocusedWindow& focus,
                   TrimClock::duration idleAge)
    : processes_(processes), reclaimer_(reclaimer), meter_(meter), focus_(focus), idle_(idleAge) {}

void TrimPass::TakeChanges(const ReclaimCounters& after, TrimPassFigures& figures) const {
  figures.availableChange = Change(beforePass_.availableBytes, after.availableBytes);
  figures.swapCachedChange = Change(beforePass_.swapCachedBytes, after.swapCachedBytes);
}

void TrimPass::Observe(TrimClock::time_point now) {
  if (const auto walk = processes_.Walk()) idle_.Remember(*walk, now);
}

void TrimPass::KeepPagedOut(const std::vector<ProcessWalkEntry>& before, const std::vector<uint32_t>& pids) {
  pagedOut_.clear();
  if (pids.empty()) return;
  const auto after = processes_.Walk();
  if (!after) return;
  std::unordered_map<uint32_t, const ProcessWalkEntry*> seenBefore;
  for (const auto& entry : before) seenBefore[entry.ProcessID] = &entry;
  for (const auto& entry : *after) {
    const auto was = seenBefore.find(entry.ProcessID);
    if (was == seenBefore.end() || was->second->StartTime != entry.StartTime ||
        std::find(pids.begin(), pids.end(), entry.ProcessID) == pids.end())
      continue;
    pagedOut_[entry.ProcessID] = {entry.StartTime, entry.MajorFaults, entry.ResidentBytes,
                                  Growth(entry.ResidentBytes, was->second->ResidentBytes)};
  }
}

// A page read back by a fault also grows the resident set, and a fault that reads a file ahead
// brings in more than one page: the larger of the two counts, and never more than the process
// gave up, since what grows beyond that is new memory rather than pages coming back.
uint64_t TrimPass::CameBack(const std::vector<ProcessWalkEntry>& walk) const {
  uint64_t total = 0;
  for (const auto& entry : walk) {
    const auto out = pagedOut_.find(entry.ProcessID);
    if (out == pagedOut_.end() || out->second.startTime != entry.StartTime) continue;
    const PagedOutProcess& then = out->second;
    const uint64_t faulted = Growth(then.majorFaults, entry.MajorFaults) * afterPass_.pageBytes;
    total += std::min(then.leftBytes, std::max(faulted, Growth(then.residentBytes, entry.ResidentBytes)));
  }
  return total;
}

const TrimPassFigures& TrimPass::Run(TrimScope scope, TrimClock::time_point now) {
  const auto walked = processes_.Walk();
  if (!walked) LogFailure(LogLevel::Error, "The trim pass finds no process", walked.error());
  const std::vector<ProcessWalkEntry> walk = walked.value_or({});
  const std::optional<uint32_t> focused = scope == TrimScope::Idle ? focus_.FocusedProcess() : std::nullopt;
  const TrimTargets targets = idle_.Split(walk, focused, scope, now);
  // Nothing idle past the age: the pass being watched keeps its line and its judgement.
  if (targets.pageOut.empty() && targets.cold.empty() && Watching() && last_->PagedOut() > 0) return *last_;

  TrimPassFigures figures;
  figures.stillOut = targets.stillOut;
  const auto before = meter_.Read();
  if (before) {
    beforePass_ = *before;
    // The reclaimer keeps anonymous memory in when swap is down to its reserve; the line says so.
    figures.swapFree = before->swapFreeBytes;
    figures.swapReserveReached =
        before->swapTotalBytes > 0 && SwapRoomBytes(before->swapTotalBytes, before->swapFreeBytes) == 0;
  }
  if (!targets.pageOut.empty()) figures.pageOut = reclaimer_.Advise(targets.pageOut, ReclaimAdvice::PageOut);
  if (!targets.cold.empty()) figures.cold = reclaimer_.Advise(targets.cold, ReclaimAdvice::Cold);
  if (figures.pageOut.advised == 0) idle_.Unadvise(targets.pageOut);
  if (figures.cold.advised == 0) idle_.Unadvise(targets.cold);
  KeepPagedOut(walk, figures.pageOut.advised > 0 ? targets.pageOut : std::vector<uint32_t>{});
  const auto after = before ? meter_.Read() : before;
  figures.measured = after.has_value();
  if (figures.measured) {
    afterPass_ = *after;
    TakeChanges(afterPass_, figures);
  } else {
    // The report then tells only what was advised, without saying why.
    LogFailure(LogLevel::Notice, "The trim pass goes unmeasured", after.error());
  }
  settled_ = false;
  passEnd_ = now;
  ++passes_;
  last_ = figures;
  return *last_;
}

void TrimPass::Watch(TrimClock::time_point now) {
  if (!Watching()) return;
  if (last_->measured) {
    if (const auto counters = meter_.Read()) {
      last_->cameBackSystem = Growth(afterPass_.cameBackBytes, counters->cameBackBytes);
      if (!settled_ && now - passEnd_ >= kSettleTime) {
        TakeChanges(*counters, *last_);
        settled_ = true;
      }
    }
  }
  if (!pagedOut_.empty())
    if (const auto walk = processes_.Walk()) last_->cameBack = CameBack(*walk);
  last_->watched = std::min(now - passEnd_, kCameBackWindow);
}

}  // namespace nv
