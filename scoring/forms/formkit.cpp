#include "scoring/forms/formkit.h"

#include "common/store.h"
#include "platform/core/prompt.h"
#include "platform/gui/widgetprompt.h"

namespace scorer {

namespace {

QColor FromBgr(unsigned bgr) { return QColor::fromRgb(plat::ColourFromBgr(static_cast<int>(bgr))); }

}  // namespace


void ShowRefusal(const QString& text) {
  plat::prompt().Ask(text, StoreText(14001), plat::Buttons::Ok, plat::Icon::None);
}

void SetBackColour(QWidget* w, unsigned bgr) { plat::SetBackColour(w, FromBgr(bgr)); }

void SetForeColour(QWidget* w, unsigned bgr) { plat::SetForeColour(w, FromBgr(bgr)); }

}  // namespace scorer
