#pragma once
// frmClient: the batch scorer's upload window. It sends the summary shown on
// the main window to the scoring server as the 23-column record, always
// plain, over the shared upload session; Dialog is its host dialog.
#include <functional>
#include <memory>

#include "net/forms/uploadwindow.h"

namespace batchui {

using net::kPlaceholderHost;
inline constexpr int kColumns = 23;
// The exit code of a program that ends without its summary delivered, or
// with a summary record or result line that could not be written.
inline constexpr int kExitNotDelivered = 1;

// The 23 values of the summary now: the result line's columns with the
// upload's method text (12501 to 12503).
QStringList BatchUploadValues();

class frmClient : public net::UploadWindow {
 public:
  frmClient();
  ~frmClient() override;

  // The program ends once the attempt under way is over: recorded, with
  // exit code 0 (kExitNotDelivered when a file of the summary could not be
  // written). Not recorded ("Error", a close without a verdict, silence,
  // cancel), the failure goes to the error report and a box asks to send
  // again or to end; ending so, or giving up in the host dialog, ends with
  // kExitNotDelivered.
  void EndProgramWhenDone();
  bool Finished() const { return finished_; }

  // Tests drive the ticks by hand.
  using TickerMaker = std::function<std::unique_ptr<net::Ticker>()>;
  static void SetTickerMaker(TickerMaker maker);

  // The batch program's host (the setup file's 指定主機).
  QString StoredHost() const override;
  void StoreHost(const QString& host) override;
  net::HostDialog& HostDialogForm() override;
  void HostDialogCancelled() override;
  // Change host: the dialog is modal to this window.
  void Command4_Click() override;

  // net::UploadView: what the session shows.
  void ShowWindow() override;
  void ShowVerdictError(const QString& text, const QString& title) override;
  void Completed() override;
  void AttemptEnded() override;
  void ShowRuntimeError(const common::AppError& e) override;

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
  void AttemptStarting() override;

 private:
  void ActivateWindow();
  void FillValues();
  void CheckDone();
  // The delivery on exit failed: logged, then (unless the person gave up in
  // the host dialog already) send again or end.
  void ExitUndelivered(bool ask);

  bool finished_ = false;
  bool attempting_ = false;
  bool endWhenDone_ = false;
  bool gaveUp_ = false;  // the host dialog was left with its give-up button
};

class Dialog : public net::HostDialog {
 public:
  Dialog();

 protected:
  net::UploadWindow& Window() override;
};

}  // namespace batchui
