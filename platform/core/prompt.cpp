#include "platform/core/prompt.h"

#include <cstdio>
#include <utility>

namespace plat {

QString Prompt::OpenFile(const QString&, const QString&, const QString&) { return {}; }
QString Prompt::PickFolder(const QString&, const QString&) { return {}; }
int Prompt::Choose(const QString& text, const QString& title, const QStringList&, Icon icon) {
  Ask(text, title, Buttons::Ok, icon);
  return -1;
}
int Prompt::PickColour(int) { return -1; }
QString Prompt::InputText(const QString&, const QString&, const QString& initial) { return initial; }

namespace {
std::function<QString()> g_defaultTitle;
}

QString BoxTitle(const QString& title) {
  if (!title.trimmed().isEmpty() || !g_defaultTitle) return title;
  return g_defaultTitle();
}

void SetDefaultBoxTitle(std::function<QString()> title) { g_defaultTitle = std::move(title); }

Answer FirstButton(Buttons b) {
  switch (b) {
    case Buttons::Ok:
    case Buttons::OkCancel: return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel: return Answer::Yes;
    case Buttons::RetryCancel: return Answer::Retry;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
  }
  return Answer::Ok;
}

Answer ConsolePrompt::Ask(const QString& text, const QString& title, Buttons buttons, Icon) {
  std::fprintf(stderr, "[%s] %s\n", title.toLocal8Bit().constData(), text.toLocal8Bit().constData());
  return FirstButton(buttons);
}

namespace {
Prompt* g_prompt = nullptr;
}

Prompt& prompt() {
  static ConsolePrompt console;
  return g_prompt ? *g_prompt : console;
}

void SetPrompt(Prompt* p) { g_prompt = p; }

}  // namespace plat
