#pragma once
// The set-up screen's web panel: a page of the installation (decoded from
// CP950) shown in place, a web address shown as a link that opens in the
// desktop's browser. No scripts run here.
#include <QString>
#include <QTextBrowser>

namespace setup {

class WebPanel : public QTextBrowser {
 public:
  explicit WebPanel(QWidget* parent = nullptr);
  // A local page (relative to the installation folder) or a web address.
  void Navigate(const QString& address);
  // What the last Navigate went to.
  QString Address() const { return address_; }

 private:
  QString address_;
};

}  // namespace setup
