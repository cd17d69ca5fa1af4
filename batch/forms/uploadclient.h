#pragma once
// frmClient: the batch scorer's upload window. It sends the summary shown on
// the main window to the scoring server as the 23-column record, always
// plain, over the shared upload session; Dialog is its host dialog.
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <functional>
#include <memory>

#include "net/core/uploadsession.h"
#include "platform/gui/form.h"

namespace batchui {

// The host when the prompt at the first activation is answered empty.
inline const QString kPlaceholderHost = QStringLiteral("localhost");
inline constexpr int kColumns = 23;

// The 23 values of the summary now: the result line's columns with the
// upload's method text (12501 to 12503).
QStringList BatchUploadValues();

class frmClient : public plat::Form, public net::UploadView {
 public:
  frmClient();
  ~frmClient() override;

  QList<QLabel*> Label1;    // headings, Label1(0..22)
  QList<QLineEdit*> Text1;  // values, Text1(0..22)
  QLabel* lblMessage;
  QPushButton *Command1, *Command2, *Command3, *Command4;

  // Starts an attempt (activation, Command1, the host dialog's OK).
  void CrsDeliver();
  void Command1_Click() { CrsDeliver(); }
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  // The host dialog was closed without sending again.
  void HostDialogCancelled();

  // The program ends once the attempt under way is over (recorded, given
  // up, cancelled); at once when none is.
  void EndProgramWhenDone();
  bool Activated() const { return activated_; }
  bool Finished() const { return finished_; }

  net::UploadSession& Session();
  // Tests drive the ticks by hand.
  using TickerMaker = std::function<std::unique_ptr<net::Ticker>()>;
  static void SetTickerMaker(TickerMaker maker);

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;

 public:
  // net::UploadView: what the session shows.
  void ShowWindow() override;
  void SetStatus(const QString& t) override;
  void AppendStatus(const QString& t) override;
  void SetCaption(const QString& t) override;
  void EnableSend(bool on) override;
  void EnableCancel(bool on) override;
  void FocusDetails() override;
  void ShowVerdictError(const QString& text, const QString& title) override;
  void OfferHostDialog() override;
  void Completed() override;
  void ShowRuntimeError(const common::AppError& e) override;

 private:
  void ActivateWindow();
  void FillValues();
  void CheckDone();
  void ShowHostDialog();

  std::unique_ptr<net::UploadSession> session_;
  bool activated_ = false;
  bool finished_ = false;
  bool endWhenDone_ = false;
};

class Dialog : public plat::Form {
 public:
  Dialog();
  QLineEdit* Text1;
  QLabel* Label1;
  QLabel* Image1;
  QPushButton *OKButton, *CancelButton;
  void OKButton_Click();
  void CancelButton_Click();

 protected:
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
};

}  // namespace batchui
