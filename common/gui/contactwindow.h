#pragma once
// frmLiaison: the contact window (form 8) with the maker's mail and web
// addresses from the settings. A click on the mail line opens a mail form
// whose subject names the product and the version; on the web line, the
// page. Neither goes through a shell.
#include <QLabel>
#include <QMouseEvent>
#include <QString>
#include <functional>

#include "platform/gui/form.h"

class QPushButton;

namespace common {

// A label that reacts to a click (the contact lines).
class ClickLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> Click;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && Click) Click();
  }
};

class frmLiaison : public plat::Form {
 public:
  frmLiaison();

  QLabel* Label1;
  ClickLabel* Label2;  // mail line
  ClickLabel* Label3;  // web line
  QLabel* Label4;
  QLabel* Label5;
  QPushButton* Command1;

  QString MailAddress;
  QString WebAddress;
  QString Title;

  void Label2_Click();
  void Label3_Click();
  void Command1_Click();

 protected:
  void Form_Load() override;
};

}  // namespace common
