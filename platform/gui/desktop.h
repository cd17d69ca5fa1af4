#pragma once
// Small desktop services the forms use: the beep and the clipboard. Tests
// install FakeDesktop, which counts.
#include <QString>

namespace plat {

class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual void Beep();
  // Empties the clipboard and the selection buffer, so nothing can be pasted.
  virtual void ClearClipboard();
  virtual QString ClipboardText();
  virtual void SetClipboardText(const QString& text);
};

class FakeDesktop : public Desktop {
 public:
  void Beep() override { ++beeps; }
  void ClearClipboard() override {
    ++clears;
    clipboard.clear();
  }
  QString ClipboardText() override { return clipboard; }
  void SetClipboardText(const QString& text) override { clipboard = text; }

  int beeps = 0;
  int clears = 0;
  QString clipboard;
};

Desktop& desktop();
// Installs a desktop (not owned); nullptr restores the real one.
void SetDesktop(Desktop* d);

// Shorthands: plat::Beep() reads like the design's Beep.
inline void Beep() { desktop().Beep(); }
inline void ClearClipboard() { desktop().ClearClipboard(); }

}  // namespace plat
