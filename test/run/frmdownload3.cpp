#include "test/run/frmdownload3.h"

#include "common/gui/formtext.h"

namespace run {

FrmDownload3::FrmDownload3() : Form(QStringLiteral("FrmDownload3")) {}

void FrmDownload3::Form_Load() { common::ApplyFormText(6, this); }

}  // namespace run
