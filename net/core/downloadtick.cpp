#include "net/core/downloadtick.h"

#include "platform/core/compat.h"

namespace net {

void DownloadTick(DownloadTickHost& host, double secondsSinceMidnight) {
  DownloadWindowState& s = host.State();
  if (s.userStop == -1) {
    host.SetStopLine(LineColour::Red);
    // The mode is read before EndNetTask turns 1 into 13: a closing window
    // must hide once the link is idle or failed, or the caller's modal show
    // would wait for a click on the exit button.
    const bool closing = s.userSw == mode::kClosing || s.userSw == mode::kClosingDone;
    if (s.netLinkStatus != link::kIdle && s.netLinkStatus != link::kFailed) {
      if (s.tickCounter < kClosingTicks)
        ++s.tickCounter;
      else if (closing)
        host.HideWindow();
    } else {
      host.EndNetTask(99);
      if (closing) host.HideWindow();
      s.tickCounter = 0;
      s.userSw = mode::kNone;
      host.StopTimer();
    }
  } else if (s.netLinkStatus == link::kIdle && s.userSw == mode::kFetchNamed) {
    // Marked started first: the flow runs on the loop and later ticks must
    // not start it again; an automatic retry sets 2 once more.
    s.userSw = mode::kFetchStarted;
    host.StartNamedTestFlow();
  }
  host.SetTrace(QString::number(s.netLinkStatus) + u' ' + plat::NumberText(secondsSinceMidnight) + u' ' +
                QString::number(s.tickCounter) + u' ' + QString::number(s.userSw));
  if (s.userSw == mode::kBackground) host.SetStopLine(LineColour::Yellow);
}

}  // namespace net
