#pragma once
// The upload window frmClient and its host dialog Dialog, as the scorer and
// the batch scorer both show them over one net::UploadSession: the table of
// the values, the status line, send, cancel, fold and change-host buttons.
// Each program derives its own pair and gives the number of columns, where
// its host is stored, the session's policy and what its window shows at the
// end of an attempt.
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <functional>
#include <memory>

#include "net/core/uploadsession.h"
#include "platform/gui/form.h"
#include "platform/gui/handler.h"

namespace net {

// The host when the prompt at the first activation is answered empty.
inline const QString kPlaceholderHost = QStringLiteral("localhost");

// Window sizes, in twips.
inline constexpr int kUploadWidth = 4720;
inline constexpr int kUploadFoldedHeight = 1200;
inline constexpr int kUploadUnfoldedHeight = 6350;

class HostDialog;

class UploadWindow : public plat::Form, public UploadView {
 public:
  ~UploadWindow() override;

  QList<QLabel*> Label1;    // headings, Label1(0..columns-1)
  QList<QLineEdit*> Text1;  // values, Text1(0..columns-1)
  QLabel* lblMessage;       // the status line
  QPushButton *Command1, *Command2, *Command3, *Command4;

  // Starts an attempt with the boxes' values (activation, Command1, the host
  // dialog's OK).
  void CrsDeliver();
  void Command1_Click() { CrsDeliver(); }
  // Cancel: the attempt ends without a verdict and the window hides.
  void Command2_Click();
  // Folds or unfolds the table.
  void Command3_Click();
  bool Folded() const { return folded_; }
  // Change host: the host dialog, modeless.
  virtual void Command4_Click();

  bool Activated() const { return activated_; }
  UploadSession& Session() { return *session_; }

  // The program's stored server host.
  virtual QString StoredHost() const = 0;
  virtual void StoreHost(const QString& host) = 0;
  virtual HostDialog& HostDialogForm() = 0;
  // The host dialog was closed without sending again.
  virtual void HostDialogCancelled() {}
  // UploadView: what the table and the buttons show.
  void SetStatus(const QString& t) override;
  void AppendStatus(const QString& t) override;
  void SetCaption(const QString& t) override;
  void EnableSend(bool on) override;
  void EnableCancel(bool on) override;
  void FocusDetails() override;
  // Connect given up: the host dialog, modal to this window.
  void OfferHostDialog() override;

 protected:
  // A failing click is told to `report` (empty: the program's handler sink).
  explicit UploadWindow(int columns, const plat::HandlerErrorSink& report = {});

  // Hidden, folded, not activated, the tick stopped, the built-in headings
  // and empty boxes. The program's load applies its captions, then this,
  // then its own headings and values.
  void Form_Load() override;
  // The title bar's close is the cancel button; the window stays loaded.
  // While the first attempt runs there is no cancel, so no close either.
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;

  // At the first activation: the stored host, else one asked for (a blank
  // answer stands as kPlaceholderHost, so the connect tries end in the host
  // dialog); a stored host goes into the host dialog's box.
  void TakeHost();
  // Modal to this window without a loop of its own: ticks and socket events
  // go on while it is up.
  void ShowHostDialog(bool modal);
  // Before an attempt takes the boxes' values.
  virtual void AttemptStarting() {}
  // After the program has filled the headings and the boxes: each column
  // as wide as its texts, the window as wide as the table.
  void FitTable();

  // Made by the program's window, which gives the policy and the ticker.
  std::unique_ptr<UploadSession> session_;
  bool activated_ = false;

 private:
  void SetFolded(bool folded);
  bool folded_ = true;
  int tableWidth_ = 0;  // twips; 0 until the table is fitted
};

class HostDialog : public plat::Form {
 public:
  QLineEdit* Text1;  // the host
  QLabel* Label1;    // the explanation
  QLabel* Image1;
  QPushButton *OKButton, *CancelButton;

  // Stores a non-blank host and sends again through the upload window.
  void OKButton_Click();
  void CancelButton_Click();

 protected:
  // A failing click is told to `report` (empty: the program's handler sink).
  explicit HostDialog(const plat::HandlerErrorSink& report = {});
  virtual UploadWindow& Window() = 0;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
};

}  // namespace net
