#include "exam/setup/imechooser.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include "common/gui/formtext.h"
#include "common/store.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "exam/run/core/run_services.h"
#include "exam/setup/inputmethods.h"
#include "exam/setup/setupscreen.h"

namespace setup {

namespace {

bool BeginsWithE(const QString& s) { return s.startsWith(u'E'); }

}  // namespace

frmIME::frmIME() : Form(QStringLiteral("frmIME")) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  setWindowTitle(QStringLiteral("偵測所有的輸入法"));
  plat::SetTwipsSize(this, 4200, 2400);
  setFixedSize(size());
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setText(QStringLiteral("請選擇你的輸入法!"));
  plat::SetTwipsGeometry(Label1, {240, 60, 3700, 240});
  Combo1 = new QComboBox(this);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  plat::SetTwipsGeometry(Combo1, {240, 900, 3700, 360});
  QObject::connect(Combo1, &QComboBox::activated, this, [this] {
    plat::RunHandler(QStringLiteral("Combo1_Click"), [this] { Combo1_Click(); });
  });
}

void frmIME::Form_Load() {
  common::ApplyFormText(7, this);
  const LayoutList list = inputMethods().Read();
  const QStringList names = list.names.mid(0, kMaxLayouts);
  const int active = list.active;
  Combo1->clear();
  Combo1->addItems(names);
  Combo1->setCurrentIndex(active >= 0 && active < names.size() ? active : -1);
  run::SetupScreenValues().imeName = Combo1->currentText();
  if (common::SystemIniValue(1147).asInt() == 1 && BeginsWithE(Combo1->currentText()))
    Ask();
  else
    Hide();
}

void frmIME::Ask() {
  if (IsUnloaded() || plat::app().Ending() || !BeginsWithE(Combo1->currentText())) return;
  QWidget* screen = plat::forms::exists<輸入資料表面>() ? &plat::forms::get<輸入資料表面>() : nullptr;
  if (!screen) {
    Show(plat::ShowMode::Modeless);
    return;
  }
  // Loaded by the set-up screen's load, before that screen shows: shown now,
  // it would stand over the screen's boxes while the screen, mapped after
  // it, takes the keys. It asks once the screen is up and no box waits.
  if (!screen->isVisible() || QApplication::activeModalWidget()) {
    QTimer::singleShot(100, this, [this] { Ask(); });
    return;
  }
  Show(plat::ShowMode::Modeless, screen);
  Combo1->setFocus();
}

void frmIME::Form_Activate() {
  if (BeginsWithE(Combo1->currentText())) {
    // The list opens below the label.
    plat::SetTwipsGeometry(Combo1, {240, 300, 3700, 360});
    Combo1->setMaxVisibleItems(std::max(1, plat::TwipsToPixels(1800) / std::max(1, Combo1->sizeHint().height())));
  } else {
    Hide();
  }
}

void frmIME::TakeTypedMethod() {
  const QString typed = inputMethods().Typed();
  if (typed.isEmpty()) return;
  int at = Combo1->findText(typed);
  if (at < 0) {
    Combo1->addItem(typed);
    at = Combo1->count() - 1;
  }
  Combo1->setCurrentIndex(at);
}

void frmIME::Combo1_Click() {
  run::SetupScreenValues().imeName = Combo1->currentText();
  Hide();
}

}  // namespace setup
