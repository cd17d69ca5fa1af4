#pragma once
// The clipboard as the forms use it: emptied so that nothing can be pasted
// into a typing box. Tests install FakeClipboard, which counts. (The beep is
// platform/media/sound.h.)
#include <QString>

namespace plat {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Empties the clipboard and the selection buffer.
  virtual void Clear();
  virtual QString Text();
  virtual void SetText(const QString& text);
};

Clipboard& clipboard();
// Installs a clipboard (not owned); nullptr restores the real one.
void SetClipboard(Clipboard* c);

inline void ClearClipboard() { clipboard().Clear(); }

}  // namespace plat
