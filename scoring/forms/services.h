#pragma once
// What the scorer's windows use from outside this library, behind small
// hooks: the program wires the real ones in main(), tests their fakes.
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/gui/desktop.h"

class QWidget;

namespace scorer {

// Windows the scorer carries from the test program; this library does not
// link the test program's screens, so the program hands them in. A hook
// left empty does nothing (a missing contact window is logged).
struct Companions {
  // 全螢幕黑景 and 背景: disabled, shown modeless, behind every window.
  std::function<void()> showBackdrops;
  // The credits window 我是誰, modeless.
  std::function<void()> showCredits;
  // The line limits 我是誰 shows (its Text1 and Text2), given at each load
  // of a record.
  std::function<void(const QString& lines, const QString& columns)> setCreditsLimits;
  // The contact window frmLiaison, modeless.
  std::function<void()> showContact;
};
void SetCompanions(const Companions& c);
const Companions& companions();

// The desktop's programs (web pages, the editor for a report) come from
// the platform layer.
using plat::Desktop;
using plat::desktop;
using plat::SetDesktop;

// The command line the scorer was started with: the sender's fields joined
// back into one text (empty when started without arguments).
void SetCommandLine(const QString& text);
QString CommandLine();

}  // namespace scorer
