#include "exam/setup/advanced.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/formtext.h"
#include "common/store.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/gui/controls.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "exam/setup/setupscreen.h"
#include "exam/setup/updown.h"

namespace setup {

namespace {

// The up-down of the pause between parts stops below the value the setting
// itself no longer stores.
constexpr int kMaxPartDelay = 32699;
// Refusal shown when a score folder could not be made.
constexpr int kFolderNotMadeText = 10329;

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& title, plat::TwipsBox box) {
  auto* g = plat::MakeControl<QGroupBox>(parent, QString::fromLatin1(name), box);
  g->setTitle(title);
  return g;
}

QRadioButton* MakeOption(QWidget* parent, const char* array, int index, const QString& text, plat::TwipsBox box) {
  auto* o = plat::MakeControl<QRadioButton>(parent, plat::ArrayElementName(QString::fromLatin1(array), index), box);
  o->setText(text);
  return o;
}

}  // namespace

進階修定::進階修定() : Form(QStringLiteral("進階修定")) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("進階設定"));
  plat::SetTwipsSize(this, 6600, 6100);
  setFixedSize(size());

  Frame1 = MakeFrame(this, "Frame1", QStringLiteral("顯示方式："), {120, 120, 3000, 2300});
  const QString layouts[] = {QString(), QStringLiteral("單列間隔"), QStringLiteral("雙視窗(一)"),
                             QStringLiteral("雙視窗(二)"), QStringLiteral("雙行雙界(上)"),
                             QStringLiteral("雙行雙界(下)"), QStringLiteral("雙雙行雙界")};
  for (int i = 1; i <= 6; ++i)
    Option1[static_cast<std::size_t>(i)] = MakeOption(Frame1, "Option1", i, layouts[i], {200, 280 + (i - 1) * 330, 2700, 300});
  Option1[1]->setChecked(true);

  Frame2 = MakeFrame(this, "Frame2", QStringLiteral("計時器"), {3240, 120, 3240, 700});
  Option2[0] = MakeOption(Frame2, "Option2", 0, QStringLiteral("倒數"), {200, 300, 1300, 300});
  Option2[1] = MakeOption(Frame2, "Option2", 1, QStringLiteral("正數"), {1700, 300, 1300, 300});
  Option2[0]->setChecked(true);

  Frame3 = MakeFrame(this, "Frame3", QStringLiteral("播放的方式"), {3240, 900, 3240, 1150});
  Option3[0] = MakeOption(Frame3, "Option3", 0, QStringLiteral("不播放"), {200, 280, 2900, 270});
  Option3[1] = MakeOption(Frame3, "Option3", 1, QStringLiteral("連續播放"), {200, 550, 2900, 270});
  Option3[2] = MakeOption(Frame3, "Option3", 2, QStringLiteral("依照每段播放"), {200, 820, 2900, 270});

  Frame4 = MakeFrame(this, "Frame4", QStringLiteral("等按「播放」鈕才開始"), {3240, 2150, 3240, 700});
  Frame4->setToolTip(QStringLiteral("是否開始進入應等按播放鈕才開始播放"));
  Option4[1] = MakeOption(Frame4, "Option4", 1, QStringLiteral("是"), {200, 300, 1300, 300});
  Option4[0] = MakeOption(Frame4, "Option4", 0, QStringLiteral("不是"), {1700, 300, 1300, 300});

  auto number = [this](QGroupBox* frame, const char* text, const char* updown, int max, int value) {
    QLineEdit* box = plat::MakeControl<QLineEdit>(frame, QString::fromLatin1(text), {200, 290, 1000, 330});
    box->setAlignment(Qt::AlignRight);
    auto* u = new UpDown(frame, 0, max, value);
    u->setObjectName(QString::fromLatin1(updown));
    plat::SetTwipsGeometry(u, {1200, 290, 240, 330});
    return std::make_pair(box, u);
  };
  Frame5 = MakeFrame(this, "Frame5", QStringLiteral("換段播放延遲時間"), {120, 2520, 3000, 750});
  Frame5->setToolTip(QStringLiteral("換段播放聲音之延遲時間，以秒為單位"));
  std::tie(Text1, UpDown1) = number(Frame5, "Text1", "UpDown1", kMaxPartDelay, 3);
  Frame7 = MakeFrame(this, "Frame7", QStringLiteral("結束之前1分鐘嗶幾聲"), {3240, 2950, 3240, 750});
  std::tie(Text3, UpDown2) = number(Frame7, "Text3", "UpDown2", 60, 3);
  Frame8 = MakeFrame(this, "Frame8", QStringLiteral("結束之前警告聲"), {120, 3370, 3000, 750});
  Frame8->setToolTip(QStringLiteral("剩餘多少時間發出警告聲"));
  std::tie(Text4, UpDown3) = number(Frame8, "Text4", "UpDown3", 60, 10);
  Text1->setText(QStringLiteral("3"));
  Text3->setText(QStringLiteral("3"));
  Text4->setText(QStringLiteral("10"));

  Frame6 = MakeFrame(this, "Frame6", QStringLiteral("成績存檔目錄(資料夾)"), {120, 4220, 6360, 750});
  Text2 = plat::MakeControl<QLineEdit>(Frame6, QStringLiteral("Text2"), {200, 290, 5960, 330});
  Text2->installEventFilter(this);

  auto button = [this](const char* name, const QString& text, plat::TwipsBox box) {
    auto* b = plat::MakeControl<QPushButton>(this, QString::fromLatin1(name), box);
    b->setText(text);
    b->setAutoDefault(false);
    return b;
  };
  Command2 = button("Command2", QStringLiteral("背景顏色"), {120, 5100, 1000, 400});
  Command3 = button("Command3", QStringLiteral("背景顏色"), {1180, 5100, 1000, 400});
  Command4 = button("Command4", QStringLiteral("背景顏色"), {2240, 5100, 1000, 400});
  Command5 = button("Command5", QStringLiteral("前景顏色"), {3300, 5100, 1000, 400});
  Command6 = button("Command6", QStringLiteral("前景顏色"), {4360, 5100, 1000, 400});
  Command7 = button("Command7", QStringLiteral("前景顏色"), {5420, 5100, 1000, 400});
  // These two have no colour behind them.
  Command4->setEnabled(false);
  Command7->setEnabled(false);
  Command1 = button("Command1", QStringLiteral("確定"), {5300, 5600, 1180, 400});
  Command1->setDefault(true);
  SetCancelButton(Command1);

  for (int i = 1; i <= 6; ++i)
    QObject::connect(Option1[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
      plat::RunHandler(QStringLiteral("Option1_Click"), [this, i] { Option1_Click(i); });
    });
  for (int i = 0; i <= 1; ++i) {
    QObject::connect(Option2[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
      plat::RunHandler(QStringLiteral("Option2_Click"), [this, i] { Option2_Click(i); });
    });
    QObject::connect(Option4[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
      plat::RunHandler(QStringLiteral("Option4_Click"), [this, i] { Option4_Click(i); });
    });
  }
  for (int i = 0; i <= 2; ++i)
    QObject::connect(Option3[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
      plat::RunHandler(QStringLiteral("Option3_Click"), [this, i] { Option3_Click(i); });
    });
  UpDown1->Change = [this] { plat::RunHandler(QStringLiteral("UpDown1_Change"), [this] { UpDown1_Change(); }); };
  UpDown2->Change = [this] { plat::RunHandler(QStringLiteral("UpDown2_Change"), [this] { UpDown2_Change(); }); };
  UpDown3->Change = [this] { plat::RunHandler(QStringLiteral("UpDown3_Change"), [this] { UpDown3_Change(); }); };
  QObject::connect(Text1, &QLineEdit::editingFinished, this, [this] {
    plat::RunHandler(QStringLiteral("Text1_LostFocus"), [this] { TypedValue(Text1, UpDown1, &進階修定::UpDown1_Change); });
  });
  QObject::connect(Text3, &QLineEdit::editingFinished, this, [this] {
    plat::RunHandler(QStringLiteral("Text3_LostFocus"), [this] { TypedValue(Text3, UpDown2, &進階修定::UpDown2_Change); });
  });
  QObject::connect(Text4, &QLineEdit::editingFinished, this, [this] {
    plat::RunHandler(QStringLiteral("Text4_LostFocus"), [this] { TypedValue(Text4, UpDown3, &進階修定::UpDown3_Change); });
  });
  QObject::connect(Command2, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("Command2_Click"), [this] { PickColour(3); });
  });
  QObject::connect(Command3, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("Command3_Click"), [this] { PickColour(4); });
  });
  QObject::connect(Command5, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("Command5_Click"), [this] { PickColour(1); });
  });
  QObject::connect(Command6, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("Command6_Click"), [this] { PickColour(2); });
  });
  QObject::connect(Command1, &QPushButton::clicked, this, [this] {
    plat::RunHandler(QStringLiteral("Command1_Click"), [this] { Command1_Click(); });
  });
}

template <std::size_t N>
void 進階修定::SetOption(std::array<QRadioButton*, N>& group, int value, void (進階修定::*click)(int)) {
  if (value < 0 || value >= static_cast<int>(N) || !group[static_cast<std::size_t>(value)]) return;
  QRadioButton* o = group[static_cast<std::size_t>(value)];
  if (o->isChecked()) return;
  o->setChecked(true);
  (this->*click)(value);
}

void 進階修定::Form_Load() {
  using namespace common;
  ApplyFormText(3, this);
  if (Setting208.get() != 0) SetOption(Option1, Setting208.get(), &進階修定::Option1_Click);
  SetOption(Option2, Setting281.get(), &進階修定::Option2_Click);
  SetOption(Option3, Setting701.get(), &進階修定::Option3_Click);
  SetOption(Option4, Setting705.get(), &進階修定::Option4_Click);
  Text2->setText(DataPath.get());
  UpDown1->SetValue(Setting704.get());
  Text1->setText(QString::number(UpDown1->Value()));
  UpDown2->SetValue(Setting211.get());
  Text3->setText(QString::number(UpDown2->Value()));
  UpDown3->SetValue(Setting212.get());
  Text4->setText(QString::number(UpDown3->Value()));
  const bool manuscript = !plat::forms::exists<輸入資料表面>() || plat::forms::get<輸入資料表面>().Option1->isChecked();
  Frame1->setEnabled(manuscript);
  for (int i = 1; i <= 6; ++i) Option1[static_cast<std::size_t>(i)]->setEnabled(manuscript);
  plat::CentreOnScreen(this);
}

void 進階修定::Form_Unload(int&) { Hide(); }

void 進階修定::Option1_Click(int i) { common::Setting208.set(i); }
void 進階修定::Option2_Click(int i) { common::Setting281.set(i); }
void 進階修定::Option4_Click(int i) { common::Setting705.set(i); }

void 進階修定::Option3_Click(int i) {
  common::Setting701.set(i);
  const bool playing = i != 0;
  if (!playing) SetOption(Option4, 0, &進階修定::Option4_Click);
  for (QWidget* w : std::initializer_list<QWidget*>{Frame4, Frame5, Text1, UpDown1, Option4[0], Option4[1]})
    w->setEnabled(playing);
}

void 進階修定::UpDown1_Change() {
  Text1->setText(QString::number(UpDown1->Value()));
  common::Setting704.set(UpDown1->Value());
}

void 進階修定::UpDown2_Change() {
  common::Setting211.set(UpDown2->Value());
  Text3->setText(QString::number(UpDown2->Value()));
}

void 進階修定::UpDown3_Change() {
  common::Setting212.set(UpDown3->Value());
  Text4->setText(QString::number(UpDown3->Value()));
}

void 進階修定::TypedValue(QLineEdit* box, UpDown* updown, void (進階修定::*change)()) {
  // What the box shows is what the test uses: a typed whole number within
  // the range is taken, anything else goes back to the held value.
  bool ok = false;
  const int v = box->text().trimmed().toInt(&ok);
  if (ok && updown->SetValue(v)) {
    (this->*change)();
  } else {
    box->setText(QString::number(updown->Value()));
  }
}

void 進階修定::Text2_LostFocus() {
  using namespace common;
  const QString typed = Text2->text().trimmed();
  if (typed.isEmpty() || typed == DataPath.get()) {
    Text2->setText(DataPath.get());
    return;
  }
  QString folder = plat::ToSlashes(typed);
  if (QFileInfo(folder).isRelative()) folder = ProgramFolder.get() + folder;
  folder = QDir::cleanPath(folder) + u'/';
  if (QFileInfo(folder).isDir()) {
    DataPath.set(folder);
    return;
  }
  const plat::Answer a = plat::prompt().Ask(QStringLiteral("你是否建立 ") + typed + QStringLiteral(" 目錄?"),
                                            ProductTitle.get(), plat::Buttons::YesNo, plat::Icon::Question);
  if (a == plat::Answer::Yes) {
    QDir().mkpath(folder);
    if (QFileInfo(folder).isDir()) {
      DataPath.set(folder);
      return;
    }
    WriteErrorLog(QStringLiteral("無法建立成績存檔目錄>") + folder);
    plat::prompt().Ask(SystemIniValue(kFolderNotMadeText).asText() + u' ' + typed, SystemIniValue(14001).asText(),
                       plat::Buttons::Ok, plat::Icon::Exclamation);
  }
  Text2->setText(DataPath.get());
}

void 進階修定::PickColour(int entry) {
  const int initial = static_cast<int>(common::ScreenColor.get(entry));
  int chosen = plat::prompt().PickColour(initial);
  if (chosen < 0) chosen = initial;
  common::ScreenColor.set(entry, chosen);
}

void 進階修定::Command1_Click() {
  Hide();
  Unload();
}

bool 進階修定::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Text2 && event->type() == QEvent::FocusOut) Text2_LostFocus();
  return Form::eventFilter(watched, event);
}

}  // namespace setup
