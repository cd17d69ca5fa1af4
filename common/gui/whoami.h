#pragma once
// 我是誰: the information dialog (form 11). The set-up screen shows it from
// its boxes' key handlers; each activation writes the line limits into Text1
// and Text2 ("240" and "60" in the test program, the scorer sets its own),
// and F11 on its button shows or hides Label1.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/gui/form.h"

namespace common {

class 我是誰 : public plat::Form {
 public:
  我是誰();

  QLineEdit* Text1;
  QLineEdit* Text2;
  QPushButton* Command1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Image1;

  // What each activation writes into Text1 and Text2.
  QString lineLimitText = QStringLiteral("240");
  QString columnLimitText = QStringLiteral("60");

  void Command1_Click();
  void Command1_KeyUp(int keyCode, int shift);

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace common
