#include "platform/core/codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace plat {

QString fromCp950(QByteArrayView bytes, int* badBytes) {
  QStringDecoder dec("windows-950", QStringConverter::Flag::Stateless);
  // The decoder silently drops a lead byte left without its second byte at
  // the very end (a torn character). A line feed is never a second byte, so
  // behind it such a byte decodes as the bad byte it is.
  QByteArray fenced;
  fenced.reserve(bytes.size() + 1);
  fenced.append(bytes.data(), bytes.size()).append('\n');
  QString out = dec.decode(fenced);
  out.chop(1);
  if (badBytes) {
    int n = 0;
    for (QChar c : out)
      if (c == QChar::ReplacementCharacter) ++n;
    *badBytes = n;
  }
  return out;
}

QByteArray toCp950(QStringView text, bool* lossless) {
  QStringEncoder enc("windows-950", QStringConverter::Flag::Stateless);
  QByteArray out = enc.encode(text);
  if (lossless) *lossless = !enc.hasError();
  return out;
}

bool fitsCp950(QStringView text) {
  bool ok = true;
  QByteArray b = toCp950(text, &ok);
  return ok && fromCp950(b) == text;
}

qsizetype cp950Length(QStringView text) { return toCp950(text).size(); }

Utf8Save detectUtf8Save(QByteArrayView bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) return Utf8Save::ByteOrderMark;
  bool beyondAscii = false;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) {
      beyondAscii = true;
      break;
    }
  if (!beyondAscii) return Utf8Save::No;
  int bad = 0;
  fromCp950(bytes, &bad);
  if (bad == 0) return Utf8Save::No;
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString text = utf8.decode(bytes);
  return utf8.hasError() ? Utf8Save::No : Utf8Save::Utf8;
}

}  // namespace plat
