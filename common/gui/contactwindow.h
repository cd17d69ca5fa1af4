#pragma once
// frmLiaison: the contact window (form 8) with the maker's mail and web
// addresses from the settings. A click on the mail line opens a mail form
// whose subject names the product and the version; on the web line, the
// page. Neither goes through a shell. The test program and the scorer show
// it as it is; the batch scorer's window is narrower and reads its own
// settings and log (batchui::frmLiaison).
#include <QLabel>
#include <QMouseEvent>
#include <QString>
#include <functional>

#include "platform/gui/form.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"

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
  // Where the controls stand and how the window behaves, by program.
  struct Design {
    int width, height;  // twips
    plat::TwipsBox labels[5];
    plat::TwipsBox command;
    bool underlined;    // the two address lines
    bool wrapLabel5;
    bool escapeCloses;
    bool centred;       // on the screen at each load
  };
  static const Design kDesign;

  frmLiaison() : frmLiaison(kDesign) {}

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
  // A failing handler is told to `report` (empty: the program's sink).
  explicit frmLiaison(const Design& design, const plat::HandlerErrorSink& report = {});

  void Form_Load() override;
  // The captions, then MailAddress, WebAddress and Title from the settings.
  virtual void LoadContact();
  // The version the mail subject names.
  virtual QString Version() const;
  // Opens the mail form, or the web page; a refused or failed one is logged.
  virtual void OpenMail(const QString& subject);
  virtual void OpenWeb();

 private:
  bool centred_;
};

}  // namespace common
