#include "common/gui/captiontable.h"

#include <QRegularExpression>

#include "platform/gui/form.h"

namespace common {

namespace {

// "Label1..10" -> Label1 ... Label10; "Option1(1..6)" -> Option1(1) ...;
// "Text6A" -> itself.
QStringList ExpandItem(const QString& item) {
  static const QRegularExpression array(QStringLiteral("^(\\w+)\\((\\d+)\\.\\.(\\d+)\\)$"));
  static const QRegularExpression element(QStringLiteral("^(\\w+)\\((\\d+)\\)$"));
  static const QRegularExpression range(QStringLiteral("^([A-Za-z]+)(\\d+)\\.\\.(\\d+)$"));
  QStringList out;
  if (auto m = array.match(item); m.hasMatch()) {
    for (int i = m.captured(2).toInt(); i <= m.captured(3).toInt(); ++i)
      out << plat::ArrayElementName(m.captured(1), i);
  } else if (auto e = element.match(item); e.hasMatch()) {
    out << plat::ArrayElementName(e.captured(1), e.captured(2).toInt());
  } else if (auto r = range.match(item); r.hasMatch()) {
    for (int i = r.captured(2).toInt(); i <= r.captured(3).toInt(); ++i) out << r.captured(1) + QString::number(i);
  } else {
    out << item;
  }
  return out;
}

QStringList ExpandList(const QString& list) {
  QStringList out;
  for (const QString& item : list.split(',', Qt::SkipEmptyParts)) out << ExpandItem(item);
  return out;
}

}  // namespace

FormCaptions ParseFormCaptions(int formNumber, const QString& formName, const QString& fonts,
                               const QStringList& texts) {
  FormCaptions f;
  f.formNumber = formNumber;
  f.formName = formName;
  f.fonts << QString();
  static const QRegularExpression pairs(QStringLiteral("^(\\w+)\\+(\\w+)\\((\\d+)\\.\\.(\\d+)\\)$"));
  for (const QString& item : fonts.split(' ', Qt::SkipEmptyParts)) {
    if (auto m = pairs.match(item); m.hasMatch()) {
      for (int i = m.captured(3).toInt(); i <= m.captured(4).toInt(); ++i)
        f.fonts << plat::ArrayElementName(m.captured(1), i) << plat::ArrayElementName(m.captured(2), i);
    } else {
      f.fonts << ExpandList(item);
    }
  }
  for (const QString& run : texts) {
    const QStringList parts = run.split(' ', Qt::SkipEmptyParts);
    Q_ASSERT(parts.size() == 3);
    int number = parts[0].toInt();
    const TextProperty prop = parts[2] == QLatin1String("ToolTip") ? TextProperty::ToolTip : TextProperty::Caption;
    const QStringList controls = parts[1] == QLatin1String(".") ? QStringList{QString()} : ExpandList(parts[1]);
    for (const QString& c : controls) f.texts.append({number++, c, prop});
  }
  return f;
}

const QList<FormCaptions>& TestProgramCaptionTable() {
  static const QList<FormCaptions> table = {
      ParseFormCaptions(1, QStringLiteral("輸入資料表面"),
                        "Label1..10 Command1..11 Frame1..4 Option1..7 Check1..2 Text1,Text2,Text3,Text6",
                        {"10100 . Caption", "10101 Label1..10 Caption", "10111 Command1..11 Caption",
                         "10123 Command1..11 ToolTip", "10135 Frame1..4 Caption", "10139 Option1..7 Caption",
                         "10146 Check1..2 Caption", "10148 Check1..2 ToolTip",
                         "10183 Text1,Text2,Text3,Text6 ToolTip", "10187 Text6A,Text6B,Text6C ToolTip"}),
      ParseFormCaptions(2, QStringLiteral("正式測驗"), "Label5 Command1 TB+TbX(0..15)",
                        {"10210 Label5 Caption", "10211 TimeMinute,TimeSecond,BoxRow,BoxCol ToolTip",
                         "10215 Command1 Caption", "10216 Command1,Image2 ToolTip"}),
      ParseFormCaptions(3, QStringLiteral("進階修定"),
                        "Command1..7 Frame1..8 Option1(1..6) Option2(0..1) Option3(0..2) Option4(0..1)",
                        {"10300 . Caption", "10301 Command1..7 Caption", "10308 Frame1..8 Caption",
                         "10316 Option1(1..6) Caption", "10322 Option2(0..1) Caption",
                         "10324 Option3(0..2) Caption", "10327 Option4(0..1) Caption"}),
      ParseFormCaptions(4, QStringLiteral("Dialog"), "Label1 OKButton",
                        {"10400 . Caption", "10401 Label1 Caption", "10402 OKButton Caption"}),
      ParseFormCaptions(5, QStringLiteral("digPath"), "",
                        {"10500 . Caption", "10507 OKButton,CancelButton Caption"}),
      ParseFormCaptions(6, QStringLiteral("FrmDownload3"), "", {"10600 . Caption"}),
      ParseFormCaptions(7, QStringLiteral("frmIME"), "", {"10700 . Caption"}),
      ParseFormCaptions(8, QStringLiteral("frmLiaison"), "Label1..5 Command1",
                        {"10800 . Caption", "10801 Label1..5 Caption", "10806 Command1 Caption"}),
      ParseFormCaptions(9, QStringLiteral("FrmToWait"), "", {"10900 . Caption"}),
      ParseFormCaptions(10, QStringLiteral("Operation"), "Command1 Check1",
                        {"11011 . Caption", "11012 Command1 Caption", "11013 Check1 Caption"}),
      ParseFormCaptions(11, QStringLiteral("我是誰"), "Label1..5",
                        {"11100 . Caption", "11101 Label1..5 Caption"}),
      ParseFormCaptions(12, QStringLiteral("是否暫離"), "Command1,Command2 Label1,Label2",
                        {"11200 . Caption", "11201 Command1,Command2,Label1,Label2 Caption"}),
      ParseFormCaptions(13, QStringLiteral("音量測試"), "Option1(0..1) Command2,Command4 Label1",
                        {"11300 . Caption", "11301 Option1(0..1),Command2,Command4,Label1 Caption"}),
      ParseFormCaptions(14, QStringLiteral("處理下"), "Label1", {"11400 . Caption", "11401 Label1 Caption"}),
  };
  return table;
}

const FormCaptions* FindFormCaptions(const QList<FormCaptions>& table, int formNumber) {
  for (const FormCaptions& f : table)
    if (f.formNumber == formNumber) return &f;
  return nullptr;
}

const FormCaptions* TestProgramCaptions(int formNumber) {
  return FindFormCaptions(TestProgramCaptionTable(), formNumber);
}

}  // namespace common
