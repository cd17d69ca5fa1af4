#pragma once
// FrmDownload3, the download window: fetches the test the receiver names (or
// one drawn or picked from the FTP listing) with its audio parts, by the
// receiver's TCP transfer, FTP or HTTP, in the configured order of methods;
// fetches the remaining parts in the background while the test runs; lets a
// running transfer finish before the program ends.
//
// The flows are net::DownloadFlows; the window lays out the controls, copies
// its fields into the flows before it calls them, and shows what they
// report. A request to close the window is always refused, it only hides.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <memory>

#include "net/core/downloadflows.h"
#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"
#include "platform/net/webclient.h"

namespace net {

// Line1 and Line2: a thin coloured bar.
class LineControl : public QFrame {
 public:
  explicit LineControl(QWidget* parent, const QString& name);
  void SetColour(LineColour c);
  LineColour Colour() const { return colour_; }

 private:
  LineColour colour_ = LineColour::Black;
};

class FrmDownload3 : public plat::Form, public DownloadView {
  Q_OBJECT

  // First: the public variables below are the flows'.
  std::unique_ptr<DownloadFlows> flow_;

 public:
  FrmDownload3();
  ~FrmDownload3() override;

  // ---- public variables (the callers' interface), kept by the flows ----
  QString& Internet_PutFile;  // program folder + "NOTE/AD.HTM"
  int& NetLinkStatus;         // 0 idle, 2 running, 3 done, 5 failed
  int& UserSw;                // mode (net::mode::k...)
  int& UserSTOP;              // -1: stop asked for, or closing
  QString& UserSetData;       // the 13 option digits of setting 989

  // ---- controls ----
  QPushButton* Command1;  // 依照接收器指定的考題
  QPushButton* Command2;  // 電腦抽題並下載題目
  QPushButton* Command3;  // 受測者選擇題目並下載
  QPushButton* Command4;  // 中斷連線
  QPushButton* Command5;  // 離開
  QPushButton* Command6;  // 重試
  QPushButton* Command7;  // 放棄
  QLabel* Label1;         // status line
  QLabel* Label2;         // transfer state
  QLabel* Label3;         // tick trace
  LineControl* Line1;     // reply indicator
  LineControl* Line2;     // stop / background indicator
  QListWidget* List1;     // tests of the last FTP listing
  QListWidget* List2;     // log
  QListWidget* lstRemoteFile;  // audio parts of the last FTP listing
  QCheckBox* Check1;      // 背景下載: fetch part 01 with the test
  QCheckBox* Check2;      // fetch every part and stay shown
  QGroupBox* Frame1;
  QLabel *L1, *L2, *L3, *L4, *L5, *L6;
  QLineEdit *T1, *T2, *T3, *T4, *T5, *T6, *T7;  // FTP host, port, user, password; receiver host, port; folder
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text4B, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10,
      *Text11, *Text12, *Text13;
  plat::FormTimer* Timer1;
  QTextBrowser* WebBrowser1;

  // ---- public operations ----
  void Command1_Click();  // the test named by the receiver
  void Command2_Click();  // server parameters, then the computer draws a test
  void Command3_Click();  // server parameters, then the candidate picks one
  void Command4_Click();  // stop
  void Command5_Click();  // leave (hide)
  void Command6_Click();  // Command1's flow again
  void Command7_Click();  // give up: stop, hide when the task ends
  void List1_Click(int row);
  void Timer1_Timer();
  // Label2 := the transfer control's state text (0 to 11); any other state
  // leaves it.
  void Inet1_StateChanged(int state);

  using Done = DownloadFlows::Done;
  // The test file Text12 into Text4 by the configured method.
  void AutoDownload(Done done);
  // Mode 1: part 01 when missing, the task stays open; mode 0: hides, runs a
  // task of its own and fetches every missing part up to 40.
  void DownloadBackground(int mode, Done done = {});
  // Server parameters only (T1..T4, T7, Text6).
  void Enter_Sc2(Done done);
  // Notice page and settings note.
  void CheckWwwPage(std::function<void()> done = {});
  void Revolve_Order();

  // Pages and single files for other windows (instructions, note settings).
  void GetUrl(const QString& url, std::function<void(const PageResult&)> done);
  void WriteFile(const QString& url, const QString& path, std::function<void(bool written)> done);

  // A flow is under way (a second one is never started beside it).
  bool Busy() const { return flow_->Busy(); }

  // ---- wiring, for the program and the tests ----
  ReceiverLink& Link() { return flow_->Link(); }
  WebTransfers& Web() { return flow_->Web(); }
  MethodOrder& Order() { return flow_->Order(); }
  // Replaces the web client (before any transfer).
  void SetWebClient(std::unique_ptr<plat::WebClient> client) { flow_->SetWebClient(std::move(client)); }
  // The reply wait and inactivity limit of the receiver, and the web limits.
  void SetTimeouts(int replyMs, int idleMs) { flow_->SetTimeouts(replyMs, idleMs); }
  // Opens a help page (default: the desktop, http and https only).
  std::function<void(const QUrl&)> OpenPage;

  // DownloadView
  void AddLog(const QString& line) override;
  void ReplaceLastLog(const QString& line) override;
  void SetStatus(const QString& text) override;
  void SetTransferState(int state) override { Inet1_StateChanged(state); }
  void SetReplyLine(LineColour c) override;
  void SetTestList(const QString& reply) override;
  void SetFtpParameters(const FtpParameters& p) override;
  void SetNoticeAddress(const QString& url) override;
  void ShowServerMessage(const QString& text, const QString& title) override;
  void OpenHelpPage(const QString& url) override;
  void Beep() override;
  void SetTestFile(const QString& name, const QString& path, const QString& scrambledPath) override;
  void SetTestEntries(const QStringList& entries) override;
  void SelectTestEntry(int row) override;
  void SetPartEntries(const QStringList& entries) override;
  void ShowNoticeHtml(const QString& html) override;
  void ShowNoticeFile(const QString& path) override;
  void SetTaskRunning(bool running) override;
  void SetRetryEnabled(bool enabled) override;
  void SetTimerRunning(bool running) override;
  void HideView() override { Hide(); }
  void SetWindowSize(int heightTwips, int widthTwips) override;
  void SetStopLine(LineColour c) override { Line2->SetColour(c); }
  void SetTrace(const QString& text) override { Label3->setText(text); }

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
  void Form_Resize() override;
  void reject() override {}  // Escape closes nothing

 private:
  // The controls' texts into the flows' fields: callers and tests write the
  // controls, so every call into the flows starts from what they show.
  void FieldsIn();
  // A server's message where no box may open: the list and the status line.
  void ListMessage(const QString& text);

  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A test is under way (the countdown, the test screen, its pause dialog, the
// processing screen): from then on no download message opens a box; it goes
// to the window's list and status line (the error report has its line).
// Set by the set-up screen when it hands over; never cleared in a process.
void SetTestUnderWay(bool underWay);
bool TestUnderWay();

// Shows a local page (CP950 unless it says it is UTF-8) in a browser control.
void ShowLocalPage(QTextBrowser* browser, const QString& path);

}  // namespace net

// The test run reaches the window under its old name.
namespace run {
using FrmDownload3 = net::FrmDownload3;
}
