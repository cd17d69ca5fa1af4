#pragma once
// The one-second tick of the download window: in closing mode it lets a
// running transfer finish and then hides the window; in mode 2 it starts the
// fetch of the test the receiver names. The window owns the variables and
// carries out the steps; the decisions are here.
#include <QString>

#include "net/core/downloadview.h"

namespace net {

// Modes of the window (UserSw).
namespace mode {
constexpr int kNone = 0;
constexpr int kClosing = 1;
constexpr int kFetchNamed = 2;
constexpr int kGiveUp = 5;
constexpr int kBackground = 7;
constexpr int kManual = 9;
constexpr int kFetchStarted = 12;
constexpr int kClosingDone = 13;
}  // namespace mode

struct DownloadWindowState {
  int userSw = 0;         // mode
  int userStop = 0;       // -1: stop asked for, or closing
  int netLinkStatus = 0;  // link::k...
  int tickCounter = 0;
};

class DownloadTickHost {
 public:
  virtual ~DownloadTickHost() = default;
  virtual DownloadWindowState& State() = 0;
  virtual void EndNetTask(int code) = 0;      // 99 = failure
  virtual void HideWindow() = 0;
  virtual void StopTimer() = 0;               // Timer1 off
  virtual void StartNamedTestFlow() = 0;      // Command1's flow; returns at once
  virtual void SetStopLine(LineColour c) = 0; // Line2
  virtual void SetTrace(const QString& text) = 0;  // Label3
};

// Ticks a transfer still running may take after a stop before the window
// closes anyway.
inline constexpr int kClosingTicks = 13;

// One tick. `secondsSinceMidnight` goes into the trace line only.
void DownloadTick(DownloadTickHost& host, double secondsSinceMidnight);

}  // namespace net
