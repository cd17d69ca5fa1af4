#pragma once
// The download window's flows without the window: the test the receiver
// names, a test drawn or picked from the FTP listing, the audio parts in the
// background, the notice page and the settings note, and the tick. They work
// on a plain copy of the window's fields and report through DownloadView;
// the window copies its fields in before it calls a flow and applies what is
// reported.
//
// Every flow is a state machine on the event loop: a call starts it and
// returns; the waits are the callbacks of the receiver link and the web
// transfers. One flow runs at a time.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "net/core/downloadtick.h"
#include "net/core/downloadview.h"
#include "net/core/methodorder.h"
#include "net/core/receiverlink.h"
#include "net/core/webtransfers.h"
#include "platform/net/tcpclient.h"
#include "platform/net/webclient.h"

namespace net {

// The fields the flows read; the window keeps them in its text boxes.
struct DownloadFields {
  FtpParameters ftp;         // T1..T4, T7
  QString receiverHost;      // T5
  QString receiverPort;      // T6
  QString subject;           // Text1: the subject code, also the remote folder
  QString testList;          // Text2: the receiver's list of tests
  QString pattern;           // Text3: the listing's pattern ("*.TXT")
  QString testPath;          // Text4: where the test is, or goes
  QString scrambledPath;     // Text4B: where its scrambled copy goes
  QString attempt;           // Text5: the piece of the list this attempt takes
  QString notice;            // Text6: the notice page
  QString noticeAlt;         // Text7: the notice page when the first fails
  QString note;              // Text8: the settings note
  QString noteAlt;           // Text9
  QString testName;          // Text12: the test's name at the server
  QString order;             // Text13: the order of methods ("C2A2B3")
  bool background = false;   // Check1: part 01 with the test
  bool allParts = false;     // Check2: every part, the window stays shown
};

// How a flow ended, for the flow that called it.
enum class FlowResult { Done, Failed, Stopped };

// The folder of the program's downloads: ProgramFolder + "Data".
QString DownloadDataFolder();

// The name of a stamp file: the text with its last character replaced by "x".
QString StampName(const QString& nameOrUrl);

class DownloadFlows : private DownloadTickHost {
 public:
  DownloadFlows(DownloadView& view, std::unique_ptr<plat::WebClient> client,
                std::unique_ptr<plat::TcpClient> socket = plat::MakeTcpClient());
  ~DownloadFlows() override;
  DownloadFlows(const DownloadFlows&) = delete;
  DownloadFlows& operator=(const DownloadFlows&) = delete;

  DownloadFields& Fields() { return fields_; }
  // The window's public variables: mode, stop, link status.
  DownloadWindowState& State() override { return state_; }
  QString& Options() { return options_; }        // the 13 option digits of setting 989
  QString& NoticeFile() { return noticeFile_; }  // where the notice page is kept

  // Activation: the mode decides the size, the tick and the fetch. False
  // when a stop stands: then it changes nothing.
  bool Activate();
  void Tick(double secondsSinceMidnight);
  void FetchNamed();       // the test named by the receiver
  void Pick(bool draw);    // server parameters, then a drawn or a picked test
  void Stop();             // the user's stop
  void GiveUp();           // stop, and hide when the task ends
  void ChooseListed(const QString& entry);  // an entry of the listing, as a task

  using Done = std::function<void(FlowResult)>;
  // The test file testName into testPath by the configured method.
  void AutoDownload(Done done);
  // Mode 1: part 01 when missing, the task stays open; mode 0: hides, runs a
  // task of its own and fetches every missing part up to 40.
  void DownloadBackground(int mode, Done done = {});
  // Server parameters only.
  void Enter_Sc2(Done done);
  // Notice page and settings note.
  void CheckWwwPage(std::function<void()> done = {});
  void Revolve_Order();

  void GetUrl(const QString& url, std::function<void(const PageResult&)> done);
  void WriteFile(const QString& url, const QString& path, std::function<void(bool written)> done);

  // A flow is under way (a second one is never started beside it).
  bool Busy() const { return flowRunning_; }

  ReceiverLink& Link() { return *link_; }
  WebTransfers& Web() { return *web_; }
  MethodOrder& Order() { return order_; }
  // Replaces the web client (before any transfer).
  void SetWebClient(std::unique_ptr<plat::WebClient> client);
  // The reply wait and inactivity limit of the receiver, and the web limits.
  void SetTimeouts(int replyMs, int idleMs);

 private:
  struct BackgroundRun;
  // Passes the transfers' reports on, keeping what the flows read back: the
  // link status, the status line and the receiver's fields.
  class Tap : public DownloadView {
   public:
    explicit Tap(DownloadFlows& flows) : f_(flows) {}
    void AddLog(const QString& line) override { f_.view_.AddLog(line); }
    void ReplaceLastLog(const QString& line) override { f_.view_.ReplaceLastLog(line); }
    void SetStatus(const QString& text) override;
    void SetTransferState(int state) override { f_.view_.SetTransferState(state); }
    void SetReplyLine(LineColour c) override { f_.view_.SetReplyLine(c); }
    void SetLinkStatus(int status) override;
    void SetTestList(const QString& reply) override;
    void SetFtpParameters(const FtpParameters& p) override;
    void SetNoticeAddress(const QString& url) override;
    void ShowServerMessage(const QString& text, const QString& title) override {
      f_.view_.ShowServerMessage(text, title);
    }
    void OpenHelpPage(const QString& url) override { f_.view_.OpenHelpPage(url); }
    void Beep() override { f_.view_.Beep(); }

   private:
    DownloadFlows& f_;
  };

  // DownloadTickHost
  void EndNetTask(int code) override { EndTask(code); }
  void HideWindow() override { view_.HideView(); }
  void StopTimer() override { view_.SetTimerRunning(false); }
  void StartNamedTestFlow() override;
  void SetStopLine(LineColour c) override { view_.SetStopLine(c); }
  void SetTrace(const QString& text) override { view_.SetTrace(text); }

  void Status(const QString& text) { tap_.SetStatus(text); }
  void ShowTestFile() { view_.SetTestFile(fields_.testName, fields_.testPath, fields_.scrambledPath); }
  void ShowTests(const QStringList& entries);
  void ShowParts(const QStringList& entries);
  void Later(std::function<void()> fn);
  bool Idle() const;  // the link is idle or failed: a flow may start

  bool NextMethod();
  void BeginNetTask();
  void EndTask(int code);  // 99 = failure
  int Digit(int position) const;
  QString FtpEndpoint() const;
  QString ReceiverEndpoint() const;

  void NamedFlow();
  void NamedAttempt(int retry);
  void NamedHaveFields();
  void NamedAfterTest();
  void NamedFinish();
  void Connect(const QString& timeoutText, std::function<void(bool)> next);
  void ParamAttempt(int retry, Done done);
  void PickAfterList(bool draw);
  void PickEnd();
  void ChooseEntry(const QString& entry, Done done);
  void FetchFile(Method method, const QString& remote, const QString& destination,
                 std::function<void(TransferOutcome)> done);
  void BackgroundLoop(std::shared_ptr<BackgroundRun> run, int n);
  void BackgroundEnd(std::shared_ptr<BackgroundRun> run, bool stopped);
  Method TransferMethod() const;
  bool ListingFirst() const;
  void FlowStart() { flowRunning_ = true; }
  void FlowEnd();

  DownloadView& view_;
  Tap tap_{*this};
  DownloadFields fields_;
  DownloadWindowState state_;
  QString options_;
  QString noticeFile_;
  QString status_;        // the status line as last set
  QStringList tests_;     // the tests of the last listing
  QStringList parts_;     // the audio parts of the last listing
  MethodOrder order_;
  QObject ctx_;
  std::unique_ptr<plat::WebClient> client_;
  std::unique_ptr<ReceiverLink> link_;
  std::unique_ptr<WebTransfers> web_;
  bool flowRunning_ = false;
  bool orderUsedUp_ = false;
  QString failText_;  // the status a failing task ends with, when it has one
  bool hideAtFlowEnd_ = false;
  bool backgroundQueued_ = false;
  bool backgroundRunning_ = false;
  int replyMs_ = 20000;
  int idleMs_ = 20000;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace net
