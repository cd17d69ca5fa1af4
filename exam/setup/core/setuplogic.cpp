#include "exam/setup/core/setuplogic.h"

#include <QDate>
#include <QRegularExpression>

#include "platform/core/compat.h"
#include "platform/core/paths.h"

namespace setup {

bool IsScorerRestart(const CommandFields& f) { return f.fields.size() == 3 && f.fields.at(2) == u"123"; }

std::optional<BirthDate> ParseBirthDate(const QString& text) {
  static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,4})\\s*([/.-])\\s*(\\d{1,2})\\s*\\2\\s*(\\d{1,2})\\s*$"));
  const auto m = re.match(text);
  if (!m.hasMatch()) return std::nullopt;
  const int y = m.captured(1).toInt(), mo = m.captured(3).toInt(), d = m.captured(4).toInt();
  if (y < 1 || !QDate(y, mo, d).isValid()) return std::nullopt;
  return BirthDate{QStringLiteral("%1").arg(y, 4, 10, QLatin1Char('0')),
                   QStringLiteral("%1").arg(mo, 2, 10, QLatin1Char('0')),
                   QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'))};
}

double BoxNumber(const QString& text) { return plat::ValNumber(text); }

bool NameTooShort(const QString& name, int setting901) { return setting901 > 0 && name.size() < setting901; }

QString IdentityAsChecked(const QString& identity, int setting902, int setting917) {
  return setting902 == 1 || setting917 == 1 ? identity.toUpper() : identity;
}

bool IdentityTooShort(const QString& identity, int setting902) {
  return setting902 > 0 && identity.size() < setting902;
}

int BirthdayFault(const QString& year, const QString& month, const QString& day) {
  struct {
    const QString& text;
    double lo, hi;
    int id;
  } const boxes[] = {{year, 1, 9999, 10152}, {month, 1, 12, 10153}, {day, 1, 31, 10154}};
  for (const auto& b : boxes) {
    if (b.text.isEmpty()) continue;
    const double n = BoxNumber(b.text);
    if (n < b.lo || n > b.hi) return b.id;
  }
  return 0;
}

bool BirthdayIncomplete(const QString& year, const QString& month, const QString& day) {
  return year.isEmpty() || month.isEmpty() || day.isEmpty();
}

bool NameGiven(const QString& name, int setting901) { return !name.isEmpty() && !NameTooShort(name, setting901); }

bool IdentityGiven(const QString& identity, int setting902, int setting917) {
  // A number that fails only the check digit is asked about at Start, which
  // goes on with OK: it stays as the launcher gave it.
  const QString id = IdentityAsChecked(identity, setting902, setting917);
  return !id.isEmpty() && !IdentityTooShort(id, setting902);
}

bool BirthdayGiven(const QString& year, const QString& month, const QString& day) {
  return !BirthdayIncomplete(year, month, day) && BirthdayFault(year, month, day) == 0;
}

QString ParticularName(Particular p) {
  switch (p) {
    case Particular::Name: return QStringLiteral("姓名");
    case Particular::Birthday: return QStringLiteral("生日");
    case Particular::Identity: return QStringLiteral("身分證號");
  }
  return {};
}

QString NotGivenLead(Particular p) {
  const QString what = p == Particular::Identity ? QStringLiteral("正確的") : QStringLiteral("完整的");
  return QStringLiteral("啟動本程式時沒有帶入") + what + ParticularName(p) + QStringLiteral(",請自行輸入。");
}

bool RunsPastMidnight(double now, double minutes, double extraSeconds) {
  return now + 10 + extraSeconds + minutes * 60 > 86400;
}

ParticularsLayout ComputeParticularsLayout(const QString& layout) {
  ParticularsLayout out;
  if (layout.size() != 8) return out;
  out.valid = true;
  auto digit = [&layout](int i) { return static_cast<int>(plat::ValNumber(layout.mid(i, 1))); };
  int visible = 0;
  for (int i = 4; i < 8; ++i)
    if (digit(i) == 1) ++visible;
  switch (visible) {
    case 4: out.step = 400; out.firstTop = 80; break;
    case 3: out.step = 500; out.firstTop = 150; break;
    case 2: out.step = 600; out.firstTop = 300; break;
    default: out.step = 500; out.firstTop = 400; break;
  }
  for (int i = 1; i <= 4; ++i)
    out.rows.append({i, digit(i - 1), out.firstTop + (i - 1) * out.step, digit(i + 3)});
  return out;
}

ResultBaseChoice ChooseResultBase(int setting905, const QString& name, const QString& identity,
                                  const QString& label7) {
  ResultBaseChoice c{label7, common::ResultBase::FileName};
  const QString* entry = setting905 == 1 ? &name : setting905 == 2 ? &identity : nullptr;
  if (entry && !entry->isEmpty()) {
    QString safe = plat::SanitizeFileBase(*entry);
    while (!safe.isEmpty() && (safe.back() == u'.' || safe.back().isSpace())) safe.chop(1);
    if (!safe.trimmed().isEmpty() && safe.count(u'_') < safe.size()) c = {*entry, common::ResultBase::UserEntry};
  }
  return c;
}

QString FileNameOf(const QString& path) {
  const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  return path.mid(cut + 1);
}

}  // namespace setup
