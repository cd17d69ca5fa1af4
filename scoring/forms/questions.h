#pragma once
// The two questions shown when the candidate leaves the score sheet:
// 直續測驗 while more tests are allowed (it tells the number of the coming
// test), 是否結束 otherwise. Every way out of them ends the program, after
// starting the test program or the batch scorer where asked.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/gui/form.h"

namespace scorer {

class 直續測驗 : public plat::Form {
 public:
  直續測驗();

  QLabel* Label1;  // the number of the coming test
  QLabel* Label6;
  QLineEdit* Text1;
  QPushButton *Command1, *Command2, *Command3;

  void Command1_Click();  // again
  void Command2_Click();  // exit
  void Command3_Click();  // contact

  bool shown = false;

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload(int& cancel) override;

 private:
  void FitBoxToCaption();
};

class 是否結束 : public plat::Form {
 public:
  是否結束();

  QLabel* Label1;
  QPushButton *Command1, *Command2, *Command3;

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

 protected:
  void Form_Load() override;
  void Form_Unload(int& cancel) override;
};

}  // namespace scorer
