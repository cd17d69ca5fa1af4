#pragma once
// Test doubles of the window seams: the program's end, the desktop's
// programs, the clipboard, the input method and the printer.
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "platform/gui/clipboard.h"
#include "platform/gui/composition.h"
#include "platform/gui/desktop.h"
#include "platform/gui/form.h"
#include "platform/gui/lineprinter.h"
#include "testsupport/core/linerecorder.h"

class QWidget;

namespace plat {

// Records the end instead of leaving the event loops.
class FakeAppControl : public AppControl {
 public:
  int ends = 0;
  int code = -1;

 protected:
  void Exit(int c) override {
    ++ends;
    code = c;
  }
};

class FakeDesktop : public Desktop {
 public:
  bool OpenUrl(const QUrl& url) override {
    opened << url;
    return result;
  }
  QList<QUrl> opened;
  bool result = true;
};

class FakeClipboard : public Clipboard {
 public:
  void Clear() override {
    ++clears;
    text.clear();
  }
  QString Text() override { return text; }
  void SetText(const QString& t) override { text = t; }

  int clears = 0;
  QString text;
};

// For tests: an input method that composes `composing` for the focus widget
// and, by its kind, commits it on Commit, on Reset, or on neither (it drops
// it on Reset then, and the widget is left showing it).
class FakeInputMethodContext : public InputMethodContext {
 public:
  enum Kind { kCommitsOnNeither, kCommitsOnCommit, kCommitsOnReset };
  explicit FakeInputMethodContext(Kind k = kCommitsOnNeither) : kind(k) {}

  // Shows text as the widget's pre-edit, as the input method does while
  // composing.
  void Compose(QWidget* w, const QString& text);
  // Commits the composition into the focus widget now.
  void Deliver();

  void Commit() override;
  void Reset() override;

  Kind kind;
  QString composing;
  int commits = 0;
  int resets = 0;
};

// Records what would be printed, the images too; fails on demand.
class FakeLinePrinter : public LineRecorder {
 public:
  bool PrintImage(const QImage& image) override;

  QList<QImage> images;
};

}  // namespace plat
