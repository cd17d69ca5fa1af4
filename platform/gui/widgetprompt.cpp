#include "platform/gui/widgetprompt.h"

#include <QApplication>
#include <QColor>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gui/buttonkeys.h"
#include "platform/gui/form.h"

namespace plat {

namespace {

QWidget* Owner() {
  QWidget* w = QApplication::activeModalWidget();
  if (!w) w = QApplication::activeWindow();
  // Between two screens no window is active: the box goes over the
  // default owner when the program names one.
  if (!w) w = DefaultOwner();
  return w;
}

QMessageBox::Icon ToQt(Icon icon) {
  switch (icon) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

std::vector<std::pair<QMessageBox::StandardButton, Answer>> ButtonSet(Buttons b) {
  using M = QMessageBox;
  switch (b) {
    case Buttons::Ok: return {{M::Ok, Answer::Ok}};
    case Buttons::OkCancel: return {{M::Ok, Answer::Ok}, {M::Cancel, Answer::Cancel}};
    case Buttons::YesNo: return {{M::Yes, Answer::Yes}, {M::No, Answer::No}};
    case Buttons::YesNoCancel:
      return {{M::Yes, Answer::Yes}, {M::No, Answer::No}, {M::Cancel, Answer::Cancel}};
    case Buttons::RetryCancel: return {{M::Retry, Answer::Retry}, {M::Cancel, Answer::Cancel}};
    case Buttons::AbortRetryIgnore:
      return {{M::Abort, Answer::Abort}, {M::Retry, Answer::Retry}, {M::Ignore, Answer::Ignore}};
  }
  return {{M::Ok, Answer::Ok}};
}

// The buttons' object names: scripts and tests find them by these, whatever
// language Qt's texts are in.
const char* AnswerName(Answer a) {
  switch (a) {
    case Answer::Ok: return "Ok";
    case Answer::Cancel: return "Cancel";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    case Answer::Retry: return "Retry";
    case Answer::Abort: return "Abort";
    case Answer::Ignore: return "Ignore";
  }
  return "";
}

// What closing the box (Escape, the title bar) answers: the cancelling
// button of the set, else the only one, else nothing.
Answer EscapeAnswer(Buttons b) {
  switch (b) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
    case Buttons::RetryCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
    case Buttons::AbortRetryIgnore: return Answer::Ignore;
  }
  return Answer::Cancel;
}

}  // namespace

QMessageBox* NewMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* owner) {
  auto* box = new QMessageBox(icon, BoxTitle(title), text, QMessageBox::NoButton, owner);
  box->setTextFormat(Qt::PlainText);
  box->setObjectName(QStringLiteral("MessageBox"));
  return box;
}

Answer WidgetPrompt::Ask(const QString& text, const QString& title, Buttons buttons, Icon icon) {
  const std::unique_ptr<QMessageBox> owned(NewMessageBox(ToQt(icon), title, text, Owner()));
  QMessageBox& box = *owned;
  const auto set = ButtonSet(buttons);
  std::vector<std::pair<QAbstractButton*, Answer>> made;
  for (const auto& [standard, answer] : set) {
    QPushButton* b = box.addButton(standard);
    b->setObjectName(QString::fromLatin1(AnswerName(answer)));
    made.emplace_back(b, answer);
    if (answer == EscapeAnswer(buttons)) box.setEscapeButton(b);
  }
  box.setDefaultButton(static_cast<QPushButton*>(made.front().first));
  PlainKeysPressButtons(&box);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (const auto& [b, answer] : made)
    if (b == clicked) return answer;
  return EscapeAnswer(buttons);  // closed without a click (program end hides it)
}

QString QtFileFilter(const QString& filter) {
  if (!filter.contains('|')) return filter;
  const QStringList parts = filter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (QString p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      p = p.trimmed();
      if (p == "*.*") p = "*";
      if (!patterns.contains(p)) patterns << p;
      if (p.toUpper() != p && !patterns.contains(p.toUpper())) patterns << p.toUpper();
      if (p.toLower() != p && !patterns.contains(p.toLower())) patterns << p.toLower();
    }
    QString desc = parts[i].trimmed();
    // A description that already shows its patterns would show them twice.
    desc.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
    out << QStringLiteral("%1 (%2)").arg(desc, patterns.join(' '));
  }
  return out.join(QStringLiteral(";;"));
}

QString WidgetPrompt::OpenFile(const QString& title, const QString& folder, const QString& filter) {
  return QFileDialog::getOpenFileName(Owner(), BoxTitle(title), folder, QtFileFilter(filter));
}

QString WidgetPrompt::PickFolder(const QString& title, const QString& folder) {
  return QFileDialog::getExistingDirectory(Owner(), BoxTitle(title), folder);
}

int WidgetPrompt::Choose(const QString& text, const QString& title, const QStringList& choices, Icon icon) {
  const std::unique_ptr<QMessageBox> owned(NewMessageBox(ToQt(icon), title, text, Owner()));
  QMessageBox& box = *owned;
  QList<QAbstractButton*> made;
  for (int i = 0; i < choices.size(); ++i) {
    QPushButton* b = box.addButton(choices[i], QMessageBox::ActionRole);
    b->setObjectName(QStringLiteral("Choice%1").arg(i));
    made << b;
  }
  if (!made.isEmpty()) box.setDefaultButton(static_cast<QPushButton*>(made.front()));
  PlainKeysPressButtons(&box);
  box.exec();
  return int(made.indexOf(box.clickedButton()));
}

unsigned ColourFromBgr(int bgr, bool* ok) {
  if (ok) *ok = bgr >= 0 && bgr <= 0xFFFFFF;
  const unsigned v = static_cast<unsigned>(bgr) & 0xFFFFFFu;
  const unsigned r = v & 0xFF, g = (v >> 8) & 0xFF, b = (v >> 16) & 0xFF;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

int BgrFromRgb(unsigned argb) {
  const unsigned r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  return static_cast<int>(r | (g << 8) | (b << 16));
}

QString WidgetPrompt::InputText(const QString& text, const QString& title, const QString& initial) {
  bool ok = false;
  const QString answer = QInputDialog::getText(Owner(), BoxTitle(title), text, QLineEdit::Normal, initial, &ok);
  return ok ? answer : QString();
}

int WidgetPrompt::PickColour(int initial) {
  const QColor c = QColorDialog::getColor(QColor::fromRgb(ColourFromBgr(initial)), Owner());
  return c.isValid() ? BgrFromRgb(c.rgb()) : -1;
}

}  // namespace plat
