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
#include <QMessageBox>
#include <QPointer>

#include "net/forms/uploadwindow.h"
#include "platform/gui/formtimer.h"
#include "scoring/engine/resultline.h"

namespace scorer {

using net::kPlaceholderHost;
inline constexpr int kUploadColumns = 24;

// Window sizes, in twips.
inline constexpr int kClientWidth = net::kUploadWidth;
inline constexpr int kClientFoldedHeight = net::kUploadFoldedHeight;
inline constexpr int kClientUnfoldedHeight = net::kUploadUnfoldedHeight;

// Registers the upload window with the score sheet's delivery: from then on
// StartUpload shows frmClient, whose first activation starts the upload.
void InstallUploadWindow();

// What the record carries: the tag's and the subject's settings and the
// score sheet's captions (empty fields when there is no sheet).
scoring::ScorerResultValues SheetUploadFields();

class frmClient : public net::UploadWindow {
 public:
  frmClient();
  ~frmClient() override;

  plat::FormTimer* Timer1;  // the session's tick, 1000 ms

  // The "Error" box while it is up.
  QMessageBox* VerdictBox() const { return verdictBox_; }

  // The scorer's host, setting 293.
  QString StoredHost() const override;
  void StoreHost(const QString& host) override;
  net::HostDialog& HostDialogForm() override;

  // net::UploadView: what the session shows.
  void ShowWindow() override;
  void ShowVerdictError(const QString& text, const QString& title) override;
  void Completed() override;
  void AttemptEnded() override;
  void ShowRuntimeError(const common::AppError& e) override;

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload(int& cancel) override;
  void AttemptStarting() override;

 private:
  void FillValues();
  void CloseVerdictBox();

  QPointer<QMessageBox> verdictBox_;
};

}  // namespace scorer
