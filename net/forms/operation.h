#pragma once
// Operation, the operating-instructions window: shows NOTE/readme.htm of the
// program folder, after refreshing it from the web (setting 979) when the
// server's stamp changed.
#include <QCheckBox>
#include <QPushButton>
#include <QString>
#include <QTextBrowser>
#include <functional>

#include "platform/gui/form.h"

namespace net {

class Operation : public plat::Form {
  Q_OBJECT

 public:
  Operation();

  QCheckBox* Check1;      // 連線偵測是否更新操作說明: refresh when loading
  QPushButton* Command1;  // 關閉
  QTextBrowser* WebBrowser1;

  void Command1_Click();
  // Refreshes `local` from `remote` when their stamps differ; ask = 1 asks
  // before replacing (text 11014, title 997). `done` after it is settled.
  void NetDownload_New(int ask, const QString& remote, const QString& local, std::function<void()> done = {});

  // The page shown: program folder + "NOTE/readme.htm".
  static QString PagePath();

 protected:
  void Form_Load() override;

 private:
  // The page, or a word that there are no instructions.
  void ShowPage(const QString& page);
};

// The set-up screen's instructions button: the window, shown modally.
void ShowOperation(QWidget* owner);

}  // namespace net
