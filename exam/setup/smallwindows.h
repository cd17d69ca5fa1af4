#pragma once
// The set-up screen's small windows: the About window frmAbout and the
// reminder Dialog (the contact window is common/gui's).
#include <QLabel>
#include <QMouseEvent>
#include <QString>
#include <functional>

#include "common/gui/contactwindow.h"
#include "common/utilities.h"
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
