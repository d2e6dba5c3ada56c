#include "bar/OrderReport.h"

#include "bar/OrderNoticeLogic.h"
#include "controls/RzTray.h"

namespace kovra {

TOrderReport::TOrderReport(TRzTrayIcon& tray, std::string recordPath)
    : tray_(tray), record_(std::move(recordPath)) {}

TOrderReport::~TOrderReport() {
  try {
    Finish();
    record_.Flush();
  } catch (...) {
    // Closing goes on; the lines that could not be written are lost with the process.
  }
}

void TOrderReport::BeforePress(DWORD clientPid) {
  Finish();
  replies_.Snapshot(clientPid);
  snapshotTaken_ = true;
}

void TOrderReport::Report(const TOrderOutcome& outcome) {
  // A request refused because an action runs comes inside that action: its press is not this.
  if (outcome.Reason == OutcomeReason::Busy) {
    Notify(outcome);
    record_.Append(outcome);
    return;
  }
  const bool awaitReply = snapshotTaken_ && outcome.Pressed();
  snapshotTaken_ = false;
  Notify(outcome);
  if (!awaitReply) {
    record_.Append(outcome);
    return;
  }
  replies_.Watch([this, replied = outcome](const std::string& reply) mutable {
    replied.Reply = reply;
    record_.Append(replied);
    if (!reply.empty()) Notify(replied);
  });
}

void TOrderReport::Finish() {
  replies_.Finish();
}

void TOrderReport::Notify(const TOrderOutcome& outcome) {
  if (!notices_) return;
  const TOrderNotice notice = NoticeFor(outcome);
  const TRzBalloonHintIcon icon = outcome.Kind == OutcomeKind::Placed      ? bhiInfo
                                  : outcome.Kind == OutcomeKind::Rehearsed ? bhiInfo
                                                                           : bhiWarning;
  tray_.ShowBalloonHint(notice.Title, notice.Text, icon);
}

}  // namespace kovra
