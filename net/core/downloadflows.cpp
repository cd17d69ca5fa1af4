#include "net/core/downloadflows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/scramble.h"
#include "common/store.h"
#include "net/core/failurelog.h"
#include "net/core/listroutines.h"
#include "net/core/receiverprotocol.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/random.h"

namespace net {

namespace {

constexpr auto T = &common::StoreText;

// The width of the fetch buttons' band.
constexpr int kButtonsWidth = 9600;

// A name a server gives us that also goes into a file pattern: no wildcard.
bool UsableName(const QString& folder, const QString& name) {
  return !name.contains(u'*') && !name.contains(u'?') && !SafeFilePath(folder, name).isEmpty();
}

// The entry of a listing that is the name itself (letter case ignored), as
// the server spells it; a longer name that only begins with it is another file.
QString ListedName(const QStringList& entries, const QString& name) {
  const QString hit = CheckListBox(entries, name);
  return hit.compare(name, Qt::CaseInsensitive) == 0 ? hit : QString();
}

// The extension of the last path segment of an address, with its dot; ""
// when it is not a short plain one (the note's name is built from it).
QString AddressExtension(const QString& url) {
  QString path = QUrl(url).path();
  if (path.isEmpty()) path = url;
  const QString last = path.section(u'/', -1);
  static const QRegularExpression ext(QStringLiteral("\\.([A-Za-z0-9]{1,4})$"));
  const auto m = ext.match(last);
  return m.hasMatch() ? QStringLiteral(".") + m.captured(1) : QString();
}

}  // namespace

QString DownloadDataFolder() { return common::ProgramFolder.get() + QStringLiteral("Data"); }

QString StampName(const QString& nameOrUrl) {
  if (nameOrUrl.isEmpty()) return {};
  return nameOrUrl.left(nameOrUrl.size() - 1) + u'x';
}

// ---- what the transfers report -------------------------------------------------

void DownloadFlows::Tap::SetStatus(const QString& text) {
  f_.status_ = text;
  f_.view_.SetStatus(text);
}

void DownloadFlows::Tap::SetLinkStatus(int status) {
  f_.state_.netLinkStatus = status;
  f_.view_.SetLinkStatus(status);
}

void DownloadFlows::Tap::SetTestList(const QString& reply) {
  f_.fields_.testList = reply;
  f_.view_.SetTestList(reply);
}

void DownloadFlows::Tap::SetFtpParameters(const FtpParameters& p) {
  f_.fields_.ftp = p;
  f_.view_.SetFtpParameters(p);
}

void DownloadFlows::Tap::SetNoticeAddress(const QString& url) {
  f_.fields_.notice = url;
  f_.view_.SetNoticeAddress(url);
}

// ---- set-up ----------------------------------------------------------------------

DownloadFlows::DownloadFlows(DownloadView& view, std::unique_ptr<plat::WebClient> client,
                             std::unique_ptr<plat::TcpClient> socket)
    : view_(view), client_(std::move(client)) {
  link_ = std::make_unique<ReceiverLink>(tap_, std::move(socket));
  web_ = std::make_unique<WebTransfers>(tap_, *client_);
}

DownloadFlows::~DownloadFlows() {
  *alive_ = false;
  // The transfers report through the tap: they go first.
  web_.reset();
  link_.reset();
}

void DownloadFlows::SetWebClient(std::unique_ptr<plat::WebClient> client) {
  web_.reset();
  client_ = std::move(client);
  web_ = std::make_unique<WebTransfers>(tap_, *client_);
  SetTimeouts(replyMs_, idleMs_);
}

void DownloadFlows::SetTimeouts(int replyMs, int idleMs) {
  replyMs_ = replyMs;
  idleMs_ = idleMs;
  link_->SetTimeouts(replyMs, idleMs);
  WebLimits limits;
  limits.connectMs = replyMs;
  limits.idleMs = idleMs;
  web_->SetLimits(limits);
}

void DownloadFlows::Later(std::function<void()> fn) { QTimer::singleShot(0, &ctx_, std::move(fn)); }

bool DownloadFlows::Idle() const {
  return state_.netLinkStatus == link::kIdle || state_.netLinkStatus == link::kFailed;
}

int DownloadFlows::Digit(int position) const {
  return static_cast<int>(plat::ValNumber(QStringView(options_).mid(position - 1, 1)));
}

QString DownloadFlows::FtpEndpoint() const {
  return fields_.ftp.host.trimmed() + u':' + fields_.ftp.port.trimmed();
}
QString DownloadFlows::ReceiverEndpoint() const {
  return fields_.receiverHost.trimmed() + u':' + fields_.receiverPort.trimmed();
}

void DownloadFlows::ShowTests(const QStringList& entries) {
  tests_ = entries;
  view_.SetTestEntries(entries);
}

void DownloadFlows::ShowParts(const QStringList& entries) {
  parts_ = entries;
  view_.SetPartEntries(entries);
}

void DownloadFlows::FlowEnd() {
  flowRunning_ = false;
  if (hideAtFlowEnd_) {
    hideAtFlowEnd_ = false;
    view_.HideView();
  }
  if (backgroundQueued_) {
    backgroundQueued_ = false;
    Later([this] {
      if (state_.userSw == mode::kBackground) DownloadBackground(0);
    });
  }
}

// ---- activation, tasks, tick -----------------------------------------------------

bool DownloadFlows::Activate() {
  DownloadWindowState& s = state_;
  if (s.userStop != 0) return false;
  const int d1 = Digit(1);
  if (s.userSw == mode::kClosing) {
    s.tickCounter = 0;
    Status(T(10615));
    view_.SetWindowSize(1200, 5600);
    s.userStop = -1;
    view_.SetTimerRunning(true);
    view_.SetRetryEnabled(false);
  } else if (s.netLinkStatus == link::kIdle && s.userSw == mode::kFetchNamed) {
    if (Digit(13) == 9) {
      order_.Reset();
      orderUsedUp_ = false;
      NextMethod();
    }
    Status(T(10616));
    view_.SetWindowSize(1200, 5600);
    s.userStop = 0;
    view_.SetTimerRunning(true);
  } else if (s.userSw == mode::kBackground) {
    view_.SetTimerRunning(true);
    DownloadBackground(0);
  } else if (d1 == 1) {
    view_.SetWindowSize(4250, 9600);
  } else if (d1 == 2) {
    view_.SetWindowSize(8000, 9600);
  } else if (d1 == 9) {
    view_.SetWindowSize(8000, 10000);
  } else {
    // The fetch buttons and the test list, whatever size the window had
    // before: what a candidate can press never depends on an earlier show.
    view_.SetWindowSize(3250, kButtonsWidth);
  }
  if (d1 == 4 && s.userSw < 3) view_.SetWindowSize(8000, 10000);
  return true;
}

void DownloadFlows::BeginNetTask() {
  view_.SetTaskRunning(true);
  state_.userStop = 0;
  failText_.clear();
  view_.SetTimerRunning(true);
  Status(T(10609));
  tap_.SetTransferState(0);  // nothing to report yet
}

void DownloadFlows::EndTask(int code) {
  DownloadWindowState& s = state_;
  Status(T(10611));
  if (code == 99) {
    s.netLinkStatus = link::kFailed;
    Status(T(10612));
    // A failure with a reason of its own keeps it in view.
    if (!failText_.isEmpty()) Status(failText_);
  }
  failText_.clear();
  if (!Idle()) return;  // still marked running
  view_.SetTaskRunning(false);
  view_.SetTimerRunning(false);
  if (s.userStop == -1) {
    s.netLinkStatus = link::kIdle;
  } else if ((s.userSw == mode::kFetchStarted || s.userSw == mode::kFetchNamed) &&
             s.netLinkStatus == link::kFailed && Digit(13) == 9) {
    // The next method, started by the next tick: never from inside the
    // failing flow. After the order's last try the failure stands.
    if (NextMethod()) {
      if (s.userSw == mode::kFetchStarted) s.userSw = mode::kFetchNamed;
      s.netLinkStatus = link::kIdle;
      view_.SetTimerRunning(true);
    } else {
      s.userSw = mode::kNone;
    }
  }
  tap_.SetReplyLine(LineColour::Black);
  if (s.userSw == mode::kClosing) {
    s.userSw = mode::kClosingDone;
    view_.SetTimerRunning(true);
    view_.SetRetryEnabled(false);
  }
  if (s.userSw == mode::kGiveUp) view_.HideView();
}

void DownloadFlows::Tick(double secondsSinceMidnight) {
  DownloadWindowState& s = state_;
  // After the user's stop, a link still marked running or done with nothing
  // under way (a task left open for the background fetch) is idle, so the
  // task can end. (Closing mode keeps its own limit of ticks.)
  if (s.userStop == -1 && s.userSw != mode::kClosing && s.userSw != mode::kClosingDone && !flowRunning_ &&
      !link_->Busy() && !web_->Busy() && (s.netLinkStatus == link::kRunning || s.netLinkStatus == link::kDone))
    s.netLinkStatus = link::kIdle;
  DownloadTick(*this, secondsSinceMidnight);
}

void DownloadFlows::StartNamedTestFlow() {
  if (flowRunning_)
    state_.userSw = mode::kFetchNamed;  // another flow first; a later tick starts this one
  else
    NamedFlow();
}

bool DownloadFlows::NextMethod() {
  if (orderUsedUp_) return false;
  const int before = state_.userSw;
  Revolve_Order();
  if (state_.userSw == mode::kNone && before != mode::kNone) {
    // The order wrapped: the method just chosen is its last try, and it
    // still runs.
    orderUsedUp_ = true;
    state_.userSw = before;
  }
  return true;
}

void DownloadFlows::Revolve_Order() {
  const MethodStep step = order_.Revolve(fields_.order);
  if (!step.logLine.isEmpty()) tap_.AddLog(step.logLine);
  if (step.wrapped) state_.userSw = mode::kNone;
}

// ---- buttons -----------------------------------------------------------------------

void DownloadFlows::FetchNamed() { NamedFlow(); }

void DownloadFlows::Stop() {
  Status(T(10608));
  state_.userStop = -1;
  view_.SetTimerRunning(true);
  link_->Stop();
  web_->Stop();
}

void DownloadFlows::GiveUp() {
  Status(T(10608));
  state_.userStop = -1;
  // Set before the stop reaches the flow: its end hides the window.
  state_.userSw = mode::kGiveUp;
  view_.SetTimerRunning(true);
  link_->Stop();
  web_->Stop();
}

void DownloadFlows::ChooseListed(const QString& entry) {
  if (flowRunning_ || !Idle()) return;
  // A task of its own, so the link ends idle and the buttons come back.
  FlowStart();
  BeginNetTask();
  ChooseEntry(entry, [this](FlowResult r) {
    if (r == FlowResult::Done) {
      state_.netLinkStatus = link::kIdle;
      EndTask(1);
    }
    FlowEnd();
  });
}

// ---- the receiver exchanges ---------------------------------------------------------

void DownloadFlows::Connect(const QString& timeoutText, std::function<void(bool)> next) {
  Status(T(10601) + QStringLiteral(".."));
  link_->SetEndpoint(fields_.receiverHost, fields_.receiverPort);
  link_->Open(timeoutText, [next](WaitResult r) { next(r == WaitResult::Answered); });
}

void DownloadFlows::NamedFlow() {
  if (flowRunning_ || !Idle()) return;
  FlowStart();
  BeginNetTask();
  Connect(T(10602) + QStringLiteral(".."), [this](bool ok) {
    if (!ok) {
      link_->Close();
      EndTask(99);
      FlowEnd();
      return;
    }
    NamedAttempt(0);
  });
}

void DownloadFlows::NamedAttempt(int retry) {
  auto fail = [this] {
    link_->Close();
    EndTask(99);
    FlowEnd();
  };
  Status(T(10601) + QStringLiteral("...."));
  auto afterList = [this, retry, fail](WaitResult r) {
    if (r != WaitResult::Answered) return fail();
    Status(T(10601) + QStringLiteral("......"));
    link_->Ask(ServerParametersRequest(), T(10602) + QStringLiteral("......"), [this, retry, fail](WaitResult r) {
      if (r != WaitResult::Answered) return fail();
      Status(T(10601) + QStringLiteral("........"));
      link_->Ask(NoticePageRequest(), T(10602) + QStringLiteral("........"), [this, retry, fail](WaitResult r) {
        if (r != WaitResult::Answered) return fail();
        Status(T(10601) + QStringLiteral(".........."));
        const FtpParameters& p = fields_.ftp;
        const bool missing = p.host.isEmpty() || p.port.isEmpty() || p.user.isEmpty() || p.password.isEmpty() ||
                             p.folder.isEmpty() || fields_.testList.isEmpty();
        if (!missing) return NamedHaveFields();
        if (retry <= 8) {
          tap_.AddLog(T(10603) + QStringLiteral("...") + QString::number(retry + 1));
          return NamedAttempt(retry + 1);
        }
        common::WriteErrorLog(T(10603) + QStringLiteral("..."));
        fail();
      });
    });
  };
  // With setting 1998 the receiver speaks first: its next message is the answer.
  if (common::SystemIniValue(1998).asInt() == 1)
    link_->Await(T(10602) + QStringLiteral("...."), afterList);
  else
    link_->Ask(TestListRequest(fields_.subject), T(10602) + QStringLiteral("...."), afterList);
}

void DownloadFlows::NamedHaveFields() {
  link_->Close();
  Status(T(10604) + QStringLiteral("............."));
  // Attempt n takes piece n (piece 0 is the keyword); one that does not fit
  // a byte, or 0, names no test.
  const auto attempt = plat::RoundHalfEven(plat::ValNumber(fields_.attempt));
  const int n = attempt && *attempt >= 1 && *attempt <= 255 ? static_cast<int>(*attempt) : -1;
  const QString name = n > 0 ? DivisionWordS(n, fields_.testList) : QString();
  const QString folder = DownloadDataFolder();
  if (name.isEmpty() || !UsableName(folder, name)) {
    if (!name.isEmpty())
      LogFailure(QStringLiteral("Winsock>"), ReceiverEndpoint(), TestListRequest(fields_.subject),
                 QStringLiteral("refused name ") + name);
    failText_ = T(10605);
    EndTask(99);
    FlowEnd();
    return;
  }
  fields_.testName = name;
  fields_.testPath = SafeFilePath(folder, name);
  const int s181 = common::SystemIniValue(181).asInt();
  if (s181 == 1 || s181 == 3) {
    QString scrambled = fields_.testPath;
    if (scrambled.size() >= 2) scrambled[scrambled.size() - 2] = u'T';
    fields_.scrambledPath = scrambled;
  }
  ShowTestFile();
  if (QFileInfo(fields_.testPath).isFile()) return NamedAfterTest();
  Status(fields_.testName + T(10606));
  AutoDownload([this](FlowResult r) {
    if (r != FlowResult::Done) {
      EndTask(99);
      fields_.testPath.clear();
      ShowTestFile();
      FlowEnd();
      return;
    }
    NamedAfterTest();
  });
}

void DownloadFlows::NamedAfterTest() {
  const int s181 = common::SystemIniValue(181).asInt();
  if ((s181 == 1 || s181 == 3) && QFileInfo(fields_.testPath).isFile()) {
    // The plain text goes only once its scrambled copy is complete.
    if (!common::ScrambleFile(fields_.testPath, fields_.scrambledPath) ||
        !QFileInfo(fields_.scrambledPath).isFile()) {
      common::WriteErrorLog(QStringLiteral("ScrambleFile>") + fields_.scrambledPath);
      EndTask(99);
      fields_.testPath.clear();
      ShowTestFile();
      FlowEnd();
      return;
    }
    QFile::remove(fields_.testPath);
    fields_.testPath = fields_.scrambledPath;
    ShowTestFile();
  }
  // The caller of a modal show resumes when the window hides: only once the
  // flow has done all it does, the first audio part included.
  if (Digit(3) == 1) hideAtFlowEnd_ = true;
  if (state_.userStop == -1) {
    state_.netLinkStatus = link::kIdle;
    EndTask(6);
    FlowEnd();
    return;
  }
  if (fields_.background) {
    DownloadBackground(1, [this](FlowResult) { NamedFinish(); });
    return;
  }
  state_.netLinkStatus = link::kIdle;
  EndTask(1);
  NamedFinish();
}

void DownloadFlows::NamedFinish() {
  const QString notice = fields_.notice;
  if (!notice.isEmpty()) {
    auto alive = alive_;
    web_->GetUrl(notice, [this, alive](const PageResult& page) {
      if (!*alive || !page.ok) return;
      view_.ShowNoticeHtml(page.text);
    });
  }
  FlowEnd();
}

void DownloadFlows::Enter_Sc2(Done done) {
  if (!Idle()) {
    Later([done] { done(FlowResult::Failed); });
    return;
  }
  Connect(T(10601) + QStringLiteral(".."), [this, done](bool ok) {
    if (!ok) {
      link_->Close();
      EndTask(99);
      done(FlowResult::Failed);
      return;
    }
    ParamAttempt(0, done);
  });
}

void DownloadFlows::ParamAttempt(int retry, Done done) {
  auto fail = [this, done] {
    link_->Close();
    EndTask(99);
    done(FlowResult::Failed);
  };
  Status(T(10601) + QStringLiteral("......"));
  link_->Ask(ServerParametersRequest(), T(10601) + QStringLiteral("......"), [this, retry, done, fail](WaitResult r) {
    if (r != WaitResult::Answered) return fail();
    Status(T(10601) + QStringLiteral("........"));
    link_->Ask(NoticePageRequest(), T(10602) + QStringLiteral("........"), [this, retry, done, fail](WaitResult r) {
      if (r != WaitResult::Answered) return fail();
      Status(T(10601) + QStringLiteral(".........."));
      const FtpParameters& p = fields_.ftp;
      const bool missing =
          p.host.isEmpty() || p.port.isEmpty() || p.user.isEmpty() || p.password.isEmpty() || p.folder.isEmpty();
      if (missing) {
        if (retry <= 8) {
          tap_.AddLog(T(10603) + QString::number(retry + 1));
          return ParamAttempt(retry + 1, done);
        }
        common::WriteErrorLog(T(10603));
        return fail();
      }
      link_->Close();
      Status(T(10604) + QStringLiteral("............."));
      done(FlowResult::Done);
    });
  });
}

// ---- drawn or picked test ------------------------------------------------------------

void DownloadFlows::Pick(bool draw) {
  if (flowRunning_ || !Idle()) return;
  FlowStart();
  BeginNetTask();
  Enter_Sc2([this, draw](FlowResult r) {
    if (r != FlowResult::Done) return FlowEnd();  // the exchange ended the task
    // The tests on offer: the server's listing, fetched now.
    web_->ListFtp(fields_.ftp, fields_.subject, QStringLiteral("dir ") + fields_.pattern,
                  [this, draw](const ListResult& l) {
                    if (!l.ok) {
                      failText_ = status_;  // the listing's own reason
                      EndTask(99);
                      return FlowEnd();
                    }
                    ShowTests(l.entries);
                    PickAfterList(draw);
                  });
  });
}

void DownloadFlows::PickAfterList(bool draw) {
  if (!draw) return PickEnd();
  if (tests_.isEmpty()) {
    state_.netLinkStatus = link::kIdle;
    EndTask(1);
    Status(T(10607));  // after the end, so it stays in view
    return FlowEnd();
  }
  const int count = static_cast<int>(tests_.size());
  const int n = qBound(0, static_cast<int>(count * plat::random().Next()), count - 1);
  view_.SelectTestEntry(n);
  ChooseEntry(tests_[n], [this](FlowResult r) {
    if (r != FlowResult::Done) return FlowEnd();
    PickEnd();
  });
}

void DownloadFlows::PickEnd() {
  if (state_.userStop == -1) {
    state_.netLinkStatus = link::kIdle;
    EndTask(6);
    return FlowEnd();
  }
  if (fields_.background) {
    DownloadBackground(1, [this](FlowResult) { FlowEnd(); });
    return;
  }
  state_.netLinkStatus = link::kIdle;
  EndTask(1);
  FlowEnd();
}

void DownloadFlows::ChooseEntry(const QString& entry, Done done) {
  const QString folder = DownloadDataFolder();
  const QString path = UsableName(folder, entry) ? SafeFilePath(folder, entry) : QString();
  fields_.testName = entry;
  fields_.testPath = path;
  fields_.scrambledPath = path;
  ShowTestFile();
  if (path.isEmpty()) {
    LogFailure(QStringLiteral("FTP>"), FtpEndpoint(), QStringLiteral("RETR ") + entry, QStringLiteral("refused name"));
    EndTask(99);
    Later([done] { done(FlowResult::Failed); });
    return;
  }
  if (QFileInfo(path).isFile()) {
    Later([done] { done(FlowResult::Done); });
    return;
  }
  Status(entry + T(10606));
  AutoDownload([this, done](FlowResult r) {
    if (r != FlowResult::Done) {
      fields_.testPath.clear();
      ShowTestFile();
      EndTask(99);
    }
    done(r);
  });
}

// ---- test file and audio parts ---------------------------------------------------------

Method DownloadFlows::TransferMethod() const {
  switch (Digit(13)) {
    case 1: return Method::Http;
    case 2: return Method::Tcp;
    case 9: return order_.Current();
    default: return Method::Ftp;
  }
}

bool DownloadFlows::ListingFirst() const {
  const int d = Digit(13);
  return d == 0 || (d == 9 && order_.Current() == Method::Ftp);
}

void DownloadFlows::FetchFile(Method method, const QString& remote, const QString& destination,
                              std::function<void(TransferOutcome)> done) {
  if (state_.userStop == -1 || destination.isEmpty()) {
    const TransferOutcome o = state_.userStop == -1 ? TransferOutcome::Stopped : TransferOutcome::Failed;
    Later([done, o] { done(o); });
    return;
  }
  QDir().mkpath(QFileInfo(destination).absolutePath());
  switch (method) {
    case Method::Http:
      web_->DownloadHttp(HttpFileUrl(fields_.ftp.host, fields_.ftp.folder, fields_.subject, remote), destination,
                         std::move(done));
      break;
    case Method::Tcp:
      link_->SetEndpoint(fields_.receiverHost, fields_.receiverPort);
      link_->DownloadFile(fields_.subject, remote, destination, std::move(done));
      break;
    case Method::Ftp:
      web_->SetFtpLogin(fields_.ftp, fields_.subject);
      web_->DownloadFtp(remote, destination, std::move(done));
      break;
  }
}

void DownloadFlows::AutoDownload(Done done) {
  const QString name = fields_.testName;
  const QString destination = fields_.testPath;
  auto finish = [done, destination](TransferOutcome o) {
    // "Not Found" and every other outcome without the file are failures:
    // the caller must not take a missing file for a fetched one.
    if (o == TransferOutcome::Done && QFileInfo(destination).isFile()) return done(FlowResult::Done);
    done(o == TransferOutcome::Stopped ? FlowResult::Stopped : FlowResult::Failed);
  };
  if (name.isEmpty() || destination.isEmpty()) {
    Later([finish] { finish(TransferOutcome::Failed); });
    return;
  }
  if (!ListingFirst()) return FetchFile(TransferMethod(), name, destination, finish);
  web_->ListFtp(fields_.ftp, fields_.subject, QStringLiteral("dir ") + fields_.pattern,
                [this, name, destination, finish](const ListResult& l) {
                  if (l.ok) ShowTests(l.entries);
                  const QString listed = l.ok ? ListedName(l.entries, name) : QString();
                  if (listed.isEmpty()) {
                    // (A failed listing has its line already.)
                    if (l.ok)
                      LogFailure(QStringLiteral("FTP>"), FtpEndpoint(),
                                 QStringLiteral("NLST ") + fields_.ftp.folder + u'/' + fields_.subject,
                                 name + QStringLiteral(" is not listed"));
                    failText_ = l.ok ? T(10613) + name + T(10614) : status_;
                    fields_.testPath.clear();
                    ShowTestFile();
                    return finish(TransferOutcome::Failed);
                  }
                  FetchFile(Method::Ftp, listed, destination, finish);
                });
}

struct DownloadFlows::BackgroundRun {
  int mode = 0;
  int last = 40;
  bool own = false;  // a task of its own, not a step of another flow
  QString remoteStem;
  QString folder;
  Done done;
};

void DownloadFlows::DownloadBackground(int mode, Done done) {
  if (fields_.allParts) mode = 0;
  auto run = std::make_shared<BackgroundRun>();
  run->mode = mode;
  run->done = std::move(done);
  if (mode != 1) {
    if (!run->done) {
      // Started by activation: never beside another flow. A re-activation
      // while the parts come changes nothing; a flow under way hands over.
      if (backgroundRunning_) {
        if (!fields_.allParts) view_.HideView();
        return;
      }
      if (flowRunning_) {
        backgroundQueued_ = true;
        return;
      }
      FlowStart();
      run->own = true;
      backgroundRunning_ = true;
    }
    if (!fields_.allParts) view_.HideView();
    BeginNetTask();
  }
  const QString local = fields_.testPath;
  if (local.isEmpty() || !QFileInfo(local).isFile()) {
    Later([this, run] { BackgroundEnd(run, state_.userStop == -1); });
    return;
  }
  Status(T(10626));
  const QFileInfo fi(local);
  run->folder = fi.absolutePath();
  const QString localStem = fi.completeBaseName();
  // A part counts as present in any extension; the count stops at the
  // first number without a file.
  int first = 1;
  while (first <= 40 &&
         !plat::FindFiles(run->folder, QStringLiteral("%1-%2.*").arg(localStem).arg(first, 2, 10, QChar(u'0')))
              .isEmpty())
    ++first;
  run->last = mode == 1 ? 1 : 40;
  run->remoteStem = QFileInfo(fields_.testName).completeBaseName();
  if (first > run->last || !ListingFirst()) {
    Later([this, run, first] { BackgroundLoop(run, first); });
    return;
  }
  web_->ListFtp(fields_.ftp, fields_.subject, QStringLiteral("dir ") + run->remoteStem + QStringLiteral("*.*"),
                [this, run, first](const ListResult& l) {
                  if (l.ok) ShowParts(l.entries);
                  BackgroundLoop(run, first);
                });
}

void DownloadFlows::BackgroundLoop(std::shared_ptr<BackgroundRun> run, int n) {
  if (n > run->last) return BackgroundEnd(run, state_.userStop == -1);
  if (state_.userStop == -1) return BackgroundEnd(run, true);
  const QString part = run->remoteStem + QStringLiteral("-%1.wma").arg(n, 2, 10, QChar(u'0'));
  const QString destination = UsableName(run->folder, part) ? SafeFilePath(run->folder, part) : QString();
  Status(part + T(10627));
  auto next = [this, run, n](TransferOutcome) { BackgroundLoop(run, n + 1); };
  const Method method = TransferMethod();
  if (method != Method::Ftp) return FetchFile(method, part, destination, next);
  // By FTP only what the listing holds, as the server spells it.
  const QString listed = ListedName(parts_, part);
  if (listed.isEmpty()) {
    Later([next] { next(TransferOutcome::NotFound); });
    return;
  }
  FetchFile(Method::Ftp, listed, destination, next);
}

void DownloadFlows::BackgroundEnd(std::shared_ptr<BackgroundRun> run, bool stopped) {
  if (stopped || run->mode != 1) {
    state_.netLinkStatus = link::kIdle;
    EndTask(6);
  }
  if (run->own) {
    backgroundRunning_ = false;
    FlowEnd();
  }
  if (run->done) run->done(stopped ? FlowResult::Stopped : FlowResult::Done);
}

// ---- pages -------------------------------------------------------------------------------

void DownloadFlows::GetUrl(const QString& url, std::function<void(const PageResult&)> done) {
  web_->GetUrl(url, std::move(done));
}

void DownloadFlows::WriteFile(const QString& url, const QString& path, std::function<void(bool)> done) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  web_->WriteFile(url, path, std::move(done));
}

void DownloadFlows::CheckWwwPage(std::function<void()> done) {
  noticeFile_ = common::ProgramFolder.get() + QStringLiteral("NOTE/AD.HTM");
  QDir().mkpath(QFileInfo(noticeFile_).absolutePath());
  auto alive = alive_;
  auto note = [this, alive, done] {
    if (!*alive) return;
    if (Digit(8) != 0) {
      if (done) done();
      return;
    }
    auto writeNote = [this, alive, done](const QString& url) {
      const QString ext = AddressExtension(url);
      if (ext.isEmpty()) {
        common::WriteErrorLog(QStringLiteral("WWW>") + url + QStringLiteral(" no usable extension"));
        if (done) done();
        return;
      }
      WriteFile(url, common::ProgramFolder.get() + QStringLiteral("NOTE/Zet") + ext, [alive, done](bool) {
        if (*alive && done) done();
      });
    };
    GetUrl(fields_.note, [this, alive, done, writeNote](const PageResult& p) {
      if (!*alive) return;
      if (p.ok && !p.bytes.isEmpty()) return writeNote(fields_.note);
      GetUrl(fields_.noteAlt, [alive, done, writeNote, this](const PageResult& q) {
        if (!*alive) return;
        if (q.ok && !q.bytes.isEmpty()) return writeNote(fields_.noteAlt);
        if (done) done();
      });
    });
  };
  if (Digit(6) != 0) return note();
  auto show = [this, alive, note](const QString& url) {
    Status(T(10602));
    WriteFile(url, noticeFile_, [this, alive, note](bool) {
      if (!*alive) return;
      view_.ShowNoticeFile(noticeFile_);
      note();
    });
  };
  GetUrl(fields_.notice, [this, alive, show, note](const PageResult& p) {
    if (!*alive) return;
    if (p.ok && !p.bytes.isEmpty()) return show(fields_.notice);
    Status(T(10603));
    GetUrl(fields_.noticeAlt, [this, alive, show, note](const PageResult& q) {
      if (!*alive) return;
      if (q.ok && !q.bytes.isEmpty()) return show(fields_.noticeAlt);
      Status(T(10604));
      note();
    });
  });
}

}  // namespace net
