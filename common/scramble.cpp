#include "common/scramble.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <vector>

#include "common/errorlog.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"

namespace common {

namespace {
constexpr int kFirstSymbol = 33;  // "!"
constexpr int kSymbols = 64;      // "!" .. "`"
}  // namespace

QByteArray ScrambleBytes(QByteArrayView plain) {
  const qsizetype bits = plain.size() * 8;
  // The padding is (bits mod 6) zero bits, not 6 - that; a last short group
  // is then filled with zeros. Kept as is: files in the field depend on it.
  const qsizetype padded = bits + bits % 6;
  const qsizetype groups = (padded + 5) / 6;
  QByteArray out;
  out.reserve(groups);
  auto bitAt = [&](qsizetype i) -> int {
    if (i >= bits) return 0;
    return (static_cast<unsigned char>(plain[i / 8]) >> (7 - i % 8)) & 1;
  };
  for (qsizetype g = 0; g < groups; ++g) {
    int v = 0;
    for (int k = 0; k < 6; ++k) v = (v << 1) | bitAt(g * 6 + k);
    out.append(char(kFirstSymbol + v));
  }
  return out;
}

QByteArray UnscrambleToBytes(QByteArrayView scrambled) {
  // Six bits a valid symbol; anything else adds nothing.
  std::vector<unsigned char> bitv;
  bitv.reserve(scrambled.size() * 6);
  for (char c : scrambled) {
    const int v = static_cast<unsigned char>(c) - kFirstSymbol;
    if (v < 0 || v >= kSymbols) continue;
    for (int k = 5; k >= 0; --k) bitv.push_back((v >> k) & 1);
  }
  auto nibble = [&](size_t at) -> int {
    // A nibble cut short at the end reads as 0.
    if (at + 4 > bitv.size()) return 0;
    return (bitv[at] << 3) | (bitv[at + 1] << 2) | (bitv[at + 2] << 1) | bitv[at + 3];
  };
  QByteArray out;
  out.reserve(bitv.size() / 8 + 1);
  for (size_t at = 0; at < bitv.size(); at += 8) {
    const int b = nibble(at) * 16 + nibble(at + 4);
    if (b != 0) out.append(char(b));  // zero bytes are the padding
  }
  return out;
}

QString ToBinaryScramble(const QString& line) {
  return QString::fromLatin1(ScrambleBytes(plat::toCp950(line)));
}

QString FromBinaryScramble(const QString& line) {
  // Symbols are ASCII; any other character is skipped like an invalid one.
  QByteArray sym;
  sym.reserve(line.size());
  for (QChar c : line)
    if (c.unicode() < 128) sym.append(char(c.unicode()));
  return plat::fromCp950(UnscrambleToBytes(sym));
}

bool ScrambleFile(const QString& source, const QString& target) {
  const QString src = plat::ResolvePath(source);
  QByteArray bytes;
  if (!QFileInfo(src).isFile() || !plat::readAllBytes(src, bytes)) return false;
  QByteArray out;
  int written = 0;
  for (const QByteArray& raw : plat::splitRawLines(bytes)) {
    const QByteArray line = plat::trimTrailingBlankBytes(raw);
    if (!line.isEmpty()) {
      out += ScrambleBytes(line);
      ++written;
    }
    out += "\r\n";
  }
  const QString dst = plat::ToSlashes(target);
  if (written == 0) {
    // Nothing worth keeping: no target at all.
    if (QFileInfo::exists(dst) && !QFile::remove(dst)) {
      WriteErrorLog(QStringLiteral("無法刪除空白加密檔>") + dst);
      return false;
    }
    return true;
  }
  QString why;
  if (!plat::writeBytesAtomic(dst, out, &why)) {
    WriteErrorLog(QStringLiteral("無法寫入加密檔>") + dst + u' ' + why);
    return false;
  }
  return true;
}

}  // namespace common
