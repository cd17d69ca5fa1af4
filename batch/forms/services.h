#pragma once
// What the batch scorer's windows use from around them, behind small hooks:
// the program keeps the real ones, tests install fakes.
#include <QString>
#include <QStringList>
#include <functional>

#include "common/store.h"
#include "platform/core/weburl.h"
#include "platform/gui/desktop.h"

class QWidget;

namespace batchui {

// The desktop's programs (browser, mail, the editor for a typed-text file)
// and the checked addresses come from the platform layer.
using plat::Desktop;
using plat::desktop;
using plat::MailUrl;
using plat::SetDesktop;
using plat::WebUrl;

// A message box shown without waiting (the upload runs on while it is up),
// over the window it is about (owner; nullptr: none). One box a title: a
// notice of the same kind while one is up replaces its text. Tests install
// a recorder.
using NoticeHook = std::function<void(const QString& text, const QString& title)>;
void ShowNotice(const QString& text, const QString& title, QWidget* owner = nullptr);
void SetNoticeHook(NoticeHook hook);  // empty restores the real box

// The command line: the arguments joined with a blank, split at every ","
// into the eleven fields 0 to 10 (missing ones empty). Characters stay as
// they are; *dropped tells whether text followed an eleventh ",".
QStringList CommandFields(const QStringList& arguments, bool* dropped = nullptr);

// The text of the store's number (empty when the settings give none).
using common::StoreText;

}  // namespace batchui
