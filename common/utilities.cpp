#include "common/utilities.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "common/store.h"
#include "platform/core/prompt.h"

namespace common {

namespace {

bool isSeparator(QChar c) { return c == u'\\' || c == u'/'; }

qsizetype lastSeparator(QStringView path) {
  return std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
}

// The dot that starts the extension: the last "." of the name part.
qsizetype extensionDot(QStringView path) {
  const qsizetype dot = path.lastIndexOf(u'.');
  return dot > lastSeparator(path) ? dot : -1;
}

// A store text, or the built-in wording while the settings have not given it
// (a box shown before or without the settings file would be blank).
QString storeText(int id, const char16_t* fallback) {
  const QString t = SystemIniValue(id).asText();
  return t.isEmpty() ? QString::fromUtf16(fallback) : t;
}

// A path as one word of a shell command line.
QString shellWord(const QString& path) {
  static const QString plain = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_./-+");
  bool safe = !path.isEmpty();
  for (QChar c : path) safe = safe && plain.contains(c);
  if (safe) return path;
  QString quoted = path;
  quoted.replace(u'\'', QStringLiteral("'\\''"));
  return u'\'' + quoted + u'\'';
}

}  // namespace

QString ProgramTitle() {
  if (!QCoreApplication::instance()) return QString();
  const QString app = QCoreApplication::applicationName();
  if (app == u"Tavrel") return QStringLiteral("聽打測驗程式");
  if (app == u"score") return QStringLiteral("評分程式");
  if (app == u"Tallisk") return QStringLiteral("成績總表程式");
  return app;
}

QString ProgramVersion() {
  QString v = QCoreApplication::applicationVersion();
  if (v.isEmpty()) v = QStringLiteral("1.0.0");
  QStringList parts = v.split(u'.');
  while (parts.size() < 3) parts << QStringLiteral("0");
  return parts.mid(0, 3).join(u'.');
}

QString MailSubject(const QString& productTitle, const QString& version) {
  QString subject = productTitle;
  subject.remove(u' ');
  if (!version.isEmpty()) subject += u'[' + version + u']';
  return subject;
}

QString WindowsFolder() { return QString(); }

QString TrimNul(QStringView text) {
  const qsizetype nul = text.indexOf(QChar(0));
  return (nul < 0 ? text : text.left(nul)).toString();
}

QString SplitAtBar(QStringView text, int side) {
  const qsizetype bar = text.lastIndexOf(u'|');
  if (bar < 0) return QString();
  return (side == 1 ? text.mid(bar + 1) : text.left(bar)).toString();
}

QString PathPart(int mode, QStringView path) {
  const qsizetype sep = lastSeparator(path);
  const qsizetype dot = extensionDot(path);
  switch (mode) {
    case 1: {
      const qsizetype start = sep + 1;
      const qsizetype end = dot < 0 ? path.size() : dot;
      return path.mid(start, end - start).toString();
    }
    case 2: return sep < 0 ? QString() : path.left(sep + 1).toString();
    case 3: return path.mid(sep + 1).toString();
    case 4: return dot < 0 ? path.toString() : path.left(dot).toString();
    case 5: return dot < 0 ? path.toString() : path.mid(dot).toString();
    default: return dot < 0 ? path.toString() : path.mid(dot + 1).toString();
  }
}

QString GetField(int index, QStringView text, QChar separator) {
  if (index < 0) return QString();
  qsizetype start = 0;
  for (int i = 0; i < index; ++i) {
    const qsizetype next = text.indexOf(separator, start);
    if (next < 0) return QString();
    start = next + 1;
  }
  const qsizetype end = text.indexOf(separator, start);
  return (end < 0 ? text.mid(start) : text.mid(start, end - start)).toString();
}

QString FixDoubleBackslash(QString& path) {
  // From 1: a leading "\\" or "//" is a network path, not a slip.
  for (qsizetype i = 1; i + 1 < path.size(); ++i) {
    if (isSeparator(path[i]) && isSeparator(path[i + 1])) {
      path.remove(i + 1, 1);
      break;
    }
  }
  return path;
}

QString ChangeDirSafe(QString& path) {
  FixDoubleBackslash(path);
  const QString folder = QDir::fromNativeSeparators(path).replace(u'\\', u'/');
  if (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
    if (!QDir().mkpath(folder))
      WriteErrorLog(QStringLiteral("ChangeDirSafe>") + folder);
  }
  return QStringLiteral("1");
}

void ShowErrorMessage(const AppError& err) {
  const QString text = storeText(14002, u"程式執行時發生錯誤：") + DescribeError(err) + u'\n' +
                       storeText(14003, u"錯誤代碼：") + QString::number(err.number) + u'\n' +
                       storeText(14004, u"請通知監考人員。");
  plat::prompt().Ask(text, ProgramTitle(), plat::Buttons::Ok, plat::Icon::None);
}

void ShowMissingFileMessage(const QString& fileName) {
  const QString text = storeText(14006, u"找不到檔案") + u' ' + fileName + u' ' +
                       storeText(14007, u"，請確認檔案是否存在。");
  plat::prompt().Ask(text, storeText(14001, u"警告"), plat::Buttons::Ok, plat::Icon::Exclamation);
}

void ShowMissingProgramMessage(const QString& why, const QString& instead, const QString& title) {
  plat::prompt().Ask(why + u'\n' + instead, title, plat::Buttons::Ok, plat::Icon::Exclamation);
}

void ShowNotBig5Message(const QString& path, plat::Utf8Save how) {
  const QString file = shellWord(path);
  const QString converted = shellWord(path + QStringLiteral(".big5"));
  // iconv stops at the byte-order mark: CP950 has no such character.
  const QString read = how == plat::Utf8Save::ByteOrderMark
                           ? QStringLiteral("sed '1s/^\\xEF\\xBB\\xBF//' ") + file + QStringLiteral(" | iconv -f UTF-8 -t CP950")
                           : QStringLiteral("iconv -f UTF-8 -t CP950 ") + file;
  const QString command = read + QStringLiteral(" > ") + converted + QStringLiteral(" && mv ") + converted + u' ' + file;
  const QString text = QStringLiteral("無法使用檔案 ") + path + QStringLiteral("：它是以 UTF-8 編碼存檔的") +
                       (how == plat::Utf8Save::ByteOrderMark ? QStringLiteral("（檔首有 BOM 記號）") : QString()) +
                       QStringLiteral("。\n此檔必須存成 Big5 (CP950) 編碼。請在終端機執行以下指令轉換：\n") + command;
  WriteErrorLog(QStringLiteral("檔案不是 Big5 (CP950)>") + path);
  plat::prompt().Ask(text, storeText(14001, u"警告"), plat::Buttons::Ok, plat::Icon::Exclamation);
}

}  // namespace common
