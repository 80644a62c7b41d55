#include "engine/trim_pass.h"

#include <algorithm>

#include "engine/memory_units.h"
#include "platform/log.h"

namespace nv {

namespace {

int64_t Change(uint64_t before, uint64_t after) { return static_cast<int64_t>(after) - static_cast<int64_t>(before); }

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
  return line + ", " + AvailableText(f.availableChange) + ", " + Megabytes(f.cameBack) + " came back";
}

TrimPass::TrimPass(Processes& processes, Reclaimer& reclaimer, ReclaimMeter& meter, FocusedWindow& focus)
    : processes_(processes), reclaimer_(reclaimer), meter_(meter), focus_(focus) {}

void TrimPass::TakeChanges(const ReclaimCounters& after, TrimPassFigures& figures) const {
  figures.availableChange = Change(beforePass_.availableBytes, after.availableBytes);
  figures.swapCachedChange = Change(beforePass_.swapCachedBytes, after.swapCachedBytes);
}

void TrimPass::Observe() {
  if (const auto walk = processes_.Walk()) idle_.Remember(*walk);
}

const TrimPassFigures& TrimPass::Run(TrimScope scope) {
  const auto walked = processes_.Walk();
  if (!walked) LogFailure(LogLevel::Error, "The trim pass finds no process", walked.error());
  const std::vector<ProcessWalkEntry> walk = walked.value_or({});
  const std::optional<uint32_t> focused = scope == TrimScope::Idle ? focus_.FocusedProcess() : std::nullopt;
  const TrimTargets targets = idle_.Split(walk, focused, scope);

  TrimPassFigures figures;
  figures.stillOut = targets.stillOut;
  const auto before = meter_.Read();
  if (before) beforePass_ = *before;
  if (!targets.pageOut.empty()) figures.pageOut = reclaimer_.Advise(targets.pageOut, ReclaimAdvice::PageOut);
  if (!targets.cold.empty()) figures.cold = reclaimer_.Advise(targets.cold, ReclaimAdvice::Cold);
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
  passEnd_ = TrimClock::now();
  ++passes_;
  last_ = figures;
  return *last_;
}

void TrimPass::Watch(TrimClock::time_point now) {
  if (!Watching()) return;
  if (last_->measured) {
    if (const auto counters = meter_.Read()) {
      if (counters->cameBackBytes > afterPass_.cameBackBytes)
        last_->cameBack = counters->cameBackBytes - afterPass_.cameBackBytes;
      if (!settled_ && now - passEnd_ >= kSettleTime) {
        TakeChanges(*counters, *last_);
        settled_ = true;
      }
    }
  }
  last_->watched = std::min(now - passEnd_, kCameBackWindow);
}

}  // namespace nv
