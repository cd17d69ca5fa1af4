#pragma once
// frmClient: the scorer's upload window. It shows the 24 values of the
// result (taken from the score sheet when it loads) and delivers them to
// the scoring server over the shared upload session: one connect try a
// tick, one send, the verdict "Complete" or "Error". It is a thin view: the
// connect, send, reply and give-up rules live in net::UploadSession.
//
// The score sheet reaches it through StartUpload (delivery.h) once
// InstallUploadWindow has registered it; every attempt disables the sheet
// and gives it back when it ends, and only "Complete" counts as delivered.
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <memory>

#include "net/core/uploadsession.h"
#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"

namespace scorer {

// The host when the prompt at the first activation is answered empty.
inline const QString kPlaceholderHost = QStringLiteral("localhost");
inline constexpr int kUploadColumns = 24;

// Window sizes, in twips.
inline constexpr int kClientWidth = 4720;
inline constexpr int kClientFoldedHeight = 1200;
inline constexpr int kClientUnfoldedHeight = 6350;

// Registers the upload window with the score sheet's delivery: from then on
// StartUpload shows frmClient, whose first activation starts the upload.
void InstallUploadWindow();

// The score sheet's captions that the record carries (empty fields when
// there is no sheet).
net::ScoreSheetFields SheetUploadFields();

class frmClient : public plat::Form, public net::UploadView {
 public:
  frmClient();
  ~frmClient() override;

  QList<QLabel*> Label1;    // headings, Label1(0..23)
  QList<QLineEdit*> Text1;  // values, Text1(0..23)
  QLabel* lblMessage;       // the status line
  QPushButton *Command1, *Command2, *Command3, *Command4;
  plat::FormTimer* Timer1;  // the session's tick, 1000 ms

  // Starts an attempt (activation, Command1, the host dialog's OK).
  void CrsDeliver();
  void Command1_Click() { CrsDeliver(); }
  void Command2_Click();  // cancel
  void Command3_Click();  // fold or unfold the table
  void Command4_Click();  // change host

  bool Activated() const { return activated_; }
  net::UploadSession& Session() { return *session_; }
  // The "Error" box while it is up.
  QMessageBox* VerdictBox() const { return verdictBox_; }

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
  void AttemptEnded() override;
  void ShowRuntimeError(const common::AppError& e) override;

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
  void Form_Unload(int& cancel) override;

 private:
  void FillValues();
  void ShowHostDialog(bool modal);
  void CloseVerdictBox();

  std::unique_ptr<net::UploadSession> session_;
  QPointer<QMessageBox> verdictBox_;
  bool activated_ = false;
};

}  // namespace scorer
