#include "scoring/forms/dataentry.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QUrl>

#include "common/accessors.h"
#include "common/commandline.h"
#include "common/errorlog.h"
#include "common/settings.h"
#include "common/workfolders.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/gui/handler.h"
#include "platform/media/sound.h"
#include "scoring/engine/recordlist.h"
#include "scoring/engine/scorer.h"
#include "scoring/forms/form3.h"
#include "scoring/forms/formkit.h"
#include "scoring/forms/scorercaptions.h"
#include "scoring/forms/services.h"

namespace scorer {

namespace {

constexpr int kF11 = 122;
constexpr int kF12 = 123;
constexpr char kRecordPattern[] = "~T*.txt";

QPushButton* Button(QWidget* form, const char* name, const char* caption, plat::TwipsBox box) {
  QPushButton* b = MakeControl<QPushButton>(form, name, box);
  b->setText(QString::fromUtf8(caption));
  b->setAutoDefault(false);
  return b;
}

int WindowsKey(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_F11: return kF11;
    case Qt::Key_F12: return kF12;
    default: return 0;
  }
}

bool IsFile(const QString& name) {
  return !name.trimmed().isEmpty() && QFileInfo(plat::ResolvePath(name)).isFile();
}

}  // namespace

輸入資料::輸入資料()
    : Form(QStringLiteral("輸入資料")),
      SFILE(MakeControl<QLineEdit>(this, "SFILE", {1920, 240, 4440, 375})),
      TFILE(MakeControl<QLineEdit>(this, "TFILE", {1920, 720, 4440, 375})),
      FFILE(MakeControl<QLineEdit>(this, "FFILE", {1920, 1200, 4440, 375})),
      Combo1(MakeControl<QComboBox>(this, "Combo1", {1920, 1680, 4440, 375})),
      Command1(Button(this, "Command1", "答案資料", {240, 240, 1560, 375})),
      Command2(Button(this, "Command2", "使用資料", {240, 720, 1560, 375})),
      Command3(Button(this, "Command3", "成績檔案", {240, 1200, 1560, 375})),
      Command7(Button(this, "Command7", "執行評分", {1920, 2280, 1800, 495})),
      Command8(Button(this, "Command8", "結束", {4560, 2280, 1800, 495})) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
  SetSizeTwips(this, 6600, 3060);
  setFixedSize(size());
  QObject::connect(Combo1, &QComboBox::activated, this, [this](int i) {
    plat::RunHandler(objectName() + QStringLiteral(".Combo1_Click"), [this, i] { Combo1_Click(i); });
  });
  plat::ConnectClick(Command1, "Command1_Click", [this] { Command1_Click(); });
  plat::ConnectClick(Command2, "Command2_Click", [this] { Command2_Click(); });
  plat::ConnectClick(Command3, "Command3_Click", [this] { Command3_Click(); });
  plat::ConnectClick(Command7, "Command7_Click", [this] { Command7_Click(); });
  plat::ConnectClick(Command8, "Command8_Click", [this] { Command8_Click(); });
  for (QWidget* w : std::initializer_list<QWidget*>{SFILE, TFILE, FFILE, Combo1, Command1, Command2, Command3,
                                                    Command7, Command8})
    w->installEventFilter(this);
}

void 輸入資料::Form_Load() {
  if (companions().showBackdrops) companions().showBackdrops();
  const QString line = CommandLine().trimmed();
  if (!line.isEmpty()) {
    const QStringList parts = common::SplitCommandFields(line).fields;
    setEnabled(false);  // it stays behind the other windows
    TFILE->setText(parts.value(0));
    if (!parts.value(1).isEmpty()) common::SettingsBase.set(plat::ToSlashes(parts.value(1)));
    if (common::LoadSettings() == common::LoadResult::FatalNoSettings) {
      plat::app().EndProgram(1);
      return;
    }
    // Form3 comes up when this window has been shown, so that it lies on
    // top of the disabled entry form.
    scoreOnShow_ = true;
  } else {
    if (common::LoadSettings() == common::LoadResult::FatalNoSettings) {
      plat::app().EndProgram(1);
      return;
    }
    if (common::SystemIniValue(199).asInt() == 1) {
      const plat::Answer a = plat::prompt().Ask(StoreText(12306) + QStringLiteral("\r\n") + StoreText(12307),
                                                StoreText(12308), plat::Buttons::YesNo, plat::Icon::Exclamation);
      if (a == plat::Answer::Yes) {
        // The page opens in the desktop's browser, never through a shell.
        const QUrl url = QUrl::fromUserInput(common::SystemIniValue(198).asText().trimmed());
        if (!url.isValid() || !desktop().OpenUrl(url))
          common::WriteErrorLog(QStringLiteral("輸入資料>cannot open ") + url.toString());
        plat::beeper().Beep();
      }
      plat::app().EndProgram(0);
      return;
    }
    ListStoredRecords();
    setEnabled(true);
    common::CreateErrorReport();
  }
  ApplyFormText(kEntryForm, this);
  // The score goes into these folders: a fault there is said now, not
  // found when the score cannot be written.
  common::WarnOfFolderProblems(common::ScorerFolderLead(), common::CheckRunFolders());
}

void 輸入資料::ListStoredRecords() {
  // The temporary folder first; else the program folder's own records,
  // of which only the first is listed.
  const QString temp = plat::TempFolder();
  QStringList names = plat::FindFiles(temp, QString::fromLatin1(kRecordPattern));
  QString folder = temp;
  if (names.isEmpty()) {
    folder = common::ProgramFolder.get();
    if (folder.endsWith(u'/')) folder.chop(1);
    names = plat::FindFiles(folder, QString::fromLatin1(kRecordPattern)).mid(0, 1);
  }
  if (names.isEmpty()) {
    TFILE->clear();
    return;
  }
  for (const QString& name : names) {
    const QString path = folder + u'/' + name;
    // The entry's text is the summary; its data the full path, so a record
    // of either folder (or with "-" in its name) is opened where it is.
    Combo1->addItem(scoring::ReadSessionSummary(path, name), path);
  }
  TFILE->setText(folder + u'/' + names.first());
}

void 輸入資料::Form_Activate() {
  if (!scoreOnShow_) return;
  scoreOnShow_ = false;
  plat::forms::get<Form3>().Show();
}

void 輸入資料::Combo1_Click(int index) {
  if (index < 0 || index >= Combo1->count()) return;
  const QString path = Combo1->itemData(index).toString();
  if (!path.isEmpty()) {
    TFILE->setText(path);
    return;
  }
  const QString text = Combo1->itemText(index);
  const qsizetype dash = text.lastIndexOf(u'-');
  TFILE->setText(plat::TempFolder() + u'/' + (dash >= 0 ? text.mid(dash + 1) : text));
}

QString 輸入資料::Pick(QLineEdit* box, int titleId, bool keepName) {
  // The dialog starts in the folder of the name it is given; a cancel gives
  // back that name (empty for the boxes that start empty).
  const QString start = keepName ? box->text() : QString();
  QString folder;
  if (!start.isEmpty()) folder = QFileInfo(plat::ResolvePath(start)).absolutePath();
  const QString chosen = plat::prompt().OpenFile(StoreText(titleId), folder, QString());
  return chosen.isEmpty() ? start : chosen;
}

void 輸入資料::Command1_Click() { SFILE->setText(Pick(SFILE, 12309, false)); }

void 輸入資料::Command2_Click() { TFILE->setText(Pick(TFILE, 12310, true)); }

void 輸入資料::Command3_Click() { FFILE->setText(Pick(FFILE, 12311, false)); }

void 輸入資料::Command7_Click() {
  if (!IsFile(SFILE->text()) || !IsFile(TFILE->text()) || !IsFile(FFILE->text())) return;
  Hide();
  plat::forms::get<Form3>().Show();
}

void 輸入資料::Command8_Click() { plat::app().EndProgram(0); }

void 輸入資料::KeyDown(QWidget* control, int key) {
  const bool credits = control == TFILE ? key == kF11
                       : (control == this || control == SFILE || control == FFILE || control == Command1 ||
                          control == Command2 || control == Command3)
                           ? key == kF12
                           : false;
  if (credits && companions().showCredits) companions().showCredits();
}

bool 輸入資料::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = WindowsKey(static_cast<QKeyEvent*>(event));
    if (key != 0) {
      // Handled here, so it never reaches the form as the form's own key.
      KeyDown(static_cast<QWidget*>(watched), key);
      return true;
    }
  }
  return Form::eventFilter(watched, event);
}

void 輸入資料::keyPressEvent(QKeyEvent* e) {
  if (const int key = WindowsKey(e)) {
    KeyDown(this, key);
    e->accept();
    return;
  }
  Form::keyPressEvent(e);
}

}  // namespace scorer
