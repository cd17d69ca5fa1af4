#pragma once
// What the download flows show and set on their window. The window
// implements it; every method has a do-nothing default so tests and small
// callers override only what they look at. No method may block: a message
// box is shown without waiting (the flow goes on as the old one did after OK).
#include <QString>
#include <QStringList>

namespace net {

enum class LineColour { Black, Red, Magenta, Green, Yellow };

// The FTP parameters the receiver hands out: T1 host, T2 port, T3 user,
// T4 password, T7 remote folder.
struct FtpParameters {
  QString host;
  QString port;
  QString user;
  QString password;
  QString folder;
  bool operator==(const FtpParameters&) const = default;
};

// Link states the window keeps in NetLinkStatus.
namespace link {
constexpr int kIdle = 0;
constexpr int kRunning = 2;
constexpr int kDone = 3;
constexpr int kFailed = 5;
}  // namespace link

class DownloadView {
 public:
  virtual ~DownloadView() = default;
  virtual void AddLog(const QString& line) { (void)line; }          // List2, new line
  virtual void ReplaceLastLog(const QString& line) { (void)line; }  // List2, last line
  virtual void SetStatus(const QString& text) { (void)text; }       // Label1
  // Label2: the transfer control's state, 0 to 11 (other numbers change nothing).
  virtual void SetTransferState(int state) { (void)state; }
  virtual void SetReplyLine(LineColour c) { (void)c; }              // Line1
  virtual void SetLinkStatus(int status) { (void)status; }          // NetLinkStatus
  // Fields the receiver's replies fill.
  virtual void SetTestList(const QString& reply) { (void)reply; }   // Text2
  virtual void SetFtpParameters(const FtpParameters& p) { (void)p; }  // T1..T4, T7
  virtual void SetNoticeAddress(const QString& url) { (void)url; }  // Text6
  // A refusal from the server: a message box with OK, not waited for.
  virtual void ShowServerMessage(const QString& text, const QString& title) {
    (void)text;
    (void)title;
  }
  // The server's help page after "Error-2" (http only), then a beep.
  virtual void OpenHelpPage(const QString& url) { (void)url; }
  virtual void Beep() {}

  // The window's own parts, which the flows set.
  // Text12, Text4, Text4B: the test's name, its path, its scrambled copy.
  virtual void SetTestFile(const QString& name, const QString& path, const QString& scrambledPath) {
    (void)name;
    (void)path;
    (void)scrambledPath;
  }
  virtual void SetTestEntries(const QStringList& entries) { (void)entries; }  // List1
  virtual void SelectTestEntry(int row) { (void)row; }                        // List1, quietly
  virtual void SetPartEntries(const QStringList& entries) { (void)entries; }  // lstRemoteFile
  virtual void ShowNoticeHtml(const QString& html) { (void)html; }            // WebBrowser1, a page
  virtual void ShowNoticeFile(const QString& path) { (void)path; }            // WebBrowser1, a saved page
  // A task runs: only stop and give-up can be pressed; or it ended.
  virtual void SetTaskRunning(bool running) { (void)running; }
  virtual void SetRetryEnabled(bool enabled) { (void)enabled; }  // Command6, Command7
  virtual void SetTimerRunning(bool running) { (void)running; }  // Timer1
  virtual void HideView() {}  // the window hides (it is never closed)
  virtual void SetWindowSize(int heightTwips, int widthTwips) {
    (void)heightTwips;
    (void)widthTwips;
  }
  virtual void SetStopLine(LineColour c) { (void)c; }             // Line2
  virtual void SetTrace(const QString& text) { (void)text; }      // Label3
};

}  // namespace net
