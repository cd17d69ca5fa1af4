#pragma once
// 輸入資料: the scorer's first window. Its load handler reads the command
// line, loads the settings and puts up the backdrops; with a record on the
// command line it hands over to Form3 at once, without one it either sends
// the user to the web page and ends, or serves as the manual entry form
// with the list of stored records.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/gui/form.h"

namespace scorer {

class 輸入資料 : public plat::Form {
 public:
  輸入資料();

  QLineEdit* SFILE;  // answer data file
  QLineEdit* TFILE;  // the test record
  QLineEdit* FFILE;  // score file
  QComboBox* Combo1; // stored records; each item keeps its full path
  QPushButton *Command1, *Command2, *Command3, *Command7, *Command8;

  void Combo1_Click(int index);
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command7_Click();
  void Command8_Click();
  // key: the Windows key code (122 F11, 123 F12).
  void KeyDown(QWidget* control, int key);

  // The test file that overrides the record's own (none here).
  QString TestFileOverride() const { return QString(); }

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ListStoredRecords();
  QString Pick(QLineEdit* box, int titleId, bool keepName);
  bool scoreOnShow_ = false;
};

}  // namespace scorer
