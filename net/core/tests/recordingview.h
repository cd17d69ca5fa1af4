#pragma once
// A download view that records what the flows show.
#include <QList>
#include <QStringList>

#include "net/core/downloadview.h"

namespace testing_net {

struct RecordingView : net::DownloadView {
  void AddLog(const QString& l) override { log.append(l); }
  void ReplaceLastLog(const QString& l) override {
    if (log.isEmpty()) log.append(l);
    else log.last() = l;
    ++replaced;
  }
  void SetStatus(const QString& t) override { status.append(t); }
  void SetTransferState(int s) override { states.append(s); }
  void SetReplyLine(net::LineColour c) override { line = c; }
  void SetLinkStatus(int s) override { links.append(s); }
  void SetTestList(const QString& r) override { testList = r; }
  void SetFtpParameters(const net::FtpParameters& p) override { ftp = p; }
  void SetNoticeAddress(const QString& u) override { notice = u; }
  void ShowServerMessage(const QString& t, const QString& title) override { messages.append(t + "|" + title); }
  void OpenHelpPage(const QString& u) override { pages.append(u); }
  void Beep() override { ++beeps; }

  QStringList log, status, messages, pages;
  QString testList, notice;
  QList<int> links, states;
  net::FtpParameters ftp;
  net::LineColour line = net::LineColour::Black;
  int replaced = 0, beeps = 0;
};

}  // namespace testing_net
