#pragma once
// Readable failure messages for Qt types.
#include <QString>
#include <QStringList>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '{' << l.join(QStringLiteral("|")).toStdString() << '}';
}
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << b.toHex(' ').toStdString(); }
QT_END_NAMESPACE
