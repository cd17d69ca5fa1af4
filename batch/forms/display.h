#pragma once
// Display: the batch scorer's main window and start window. Its load
// handler reads the command line, the settings and the setup record, loads
// the score file and shows the summary; its first activation can deliver the
// summary unattended (setting 804 = 1); its commands exit (delivering when
// 804 = 2), open the score sheet and the contact window, copy to the remote
// folder and open the web page and mail.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "batch/core/scoretable.h"
#include "batch/forms/remotecopy.h"
#include "platform/gui/form.h"

namespace batchui {

class Display : public plat::Form {
 public:
  Display();

  // The program's arguments, before the load.
  void SetArguments(const QStringList& arguments) { arguments_ = arguments; }
  // Loads, then shows unless the load handed over to the score sheet.
  void Start();

  // The identity-field layout of settings 915, 916 and 918.
  void Magic();
  static QString FrmShowCol(const QString& text, int part);
  // Copies the run's score and result files to the remote folder.
  RemoteCopyResult Runbbc();
  void EnterWWW();
  void EnterMail();

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Label4_MouseDown();

  // The summary's captions, as the score table shows them.
  void ShowTexts(const batch::DisplayTexts& d);

  // State, for the program and for tests.
  const QStringList& Fields() const { return fields_; }
  bool FirstActivationDone() const { return firstActivation_ != 0; }
  bool HandedToSheet() const { return handedToSheet_; }

  QLabel *Label01, *Label02, *Label03, *Label04, *Label05, *Label06, *Label07, *Label08, *Label09, *Label10, *Label11,
      *Label12, *Label14;
  QLabel *TEXT01, *TEXT02, *TEXT03, *TEXT04, *TEXT05, *TEXT06, *TEXT07, *TEXT08, *TEXT09, *TEXT10, *TEXT11, *TEXT12,
      *TEXT13, *TEXT14;
  QLabel *Label1, *Label2, *Label3, *Label4;
  QPushButton *Command1, *Command2, *Command3;
  QLineEdit* Text1;
  QLabel* Image1;

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LoadWindow();
  void ActivateWindow();
  // Summary record, result line, floppy copy, remote copy and upload, as the
  // delivery mode of the setup record asks. A summary that cannot be written
  // stops them all, with a message naming the score file.
  enum class Delivery { Done, Uploading, Stopped };
  Delivery Deliver();
  void ShowGrade();
  void Log(const QString& line) const;

  QStringList arguments_;
  QStringList fields_;
  int firstActivation_ = 0;
  bool handedToSheet_ = false;
};

// The address shown on the grade's contact line.
inline const QString kMakerMail = QStringLiteral("service@example.org");

}  // namespace batchui
