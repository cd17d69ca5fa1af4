#pragma once
// The set-up screen's small windows: the contact window frmLiaison, the
// About window frmAbout and the reminder Dialog.
#include <QLabel>
#include <QMouseEvent>
#include <QString>
#include <functional>

#include "platform/gui/form.h"

class QPushButton;

namespace setup {

// Where a system-information tool would be registered. There is no registry
// here: the port answers false and the About window says so.
class SystemValueStore {
 public:
  virtual ~SystemValueStore() = default;
  virtual bool GetKeyValue(const QString& root, const QString& key, const QString& name, QString& value);
};
SystemValueStore& systemValues();
void SetSystemValueStore(SystemValueStore* s);  // not owned; nullptr: the default

// Major.minor.revision of the program.
QString ProgramVersion();

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

class frmAbout : public plat::Form {
 public:
  frmAbout();

  QLabel* lblTitle;
  QLabel* lblVersion;
  QLabel* lblDescription;
  QLabel* lblDisclaimer;
  QLabel* picIcon;
  QPushButton* cmdOK;
  QPushButton* cmdSysInfo;

  void cmdOK_Click();
  void cmdSysInfo_Click() { StartSysInfo(); }
  void StartSysInfo();
  bool GetKeyValue(const QString& root, const QString& key, const QString& name, QString& value);

 protected:
  void Form_Load() override;
};

class Dialog : public plat::Form {
 public:
  Dialog();

  QLabel* Label1;
  QPushButton* OKButton;

  void OKButton_Click() { Hide(); }

 protected:
  void Form_Load() override;
};

}  // namespace setup
