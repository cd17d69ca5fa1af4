// libcurl's multi interface driven by the Qt event loop: curl tells us which
// sockets to watch and when to call it back; QSocketNotifier and a QTimer do
// the watching. No thread, no blocking call, no nested event loop.
#include <curl/curl.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QTemporaryFile>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "platform/core/textfile.h"
#include "platform/net/webclient.h"

namespace plat {
namespace {

struct Transfer {
  int id = 0;
  CURL* easy = nullptr;
  WebRequest request;
  WebCallback done;
  QByteArray body;
  std::unique_ptr<QTemporaryFile> file;
  qint64 bytes = 0;
  bool isHttp = false;
  bool badStatus = false;
  bool tooLarge = false;
  bool fileError = false;
  WebFailure forced = WebFailure::None;  // set by our own watchdog
  int state = 0;                         // the last state reported
  QTimer idle;
  QTimer total;
  char errbuf[CURL_ERROR_SIZE] = {0};
};

struct Watch {
  QSocketNotifier* read = nullptr;
  QSocketNotifier* write = nullptr;
};

class CurlWebClient : public WebClient {
 public:
  CurlWebClient();
  ~CurlWebClient() override;
  int Start(const WebRequest& request, WebCallback done) override;
  void Cancel(int id) override;
  int Running() const override { return static_cast<int>(transfers_.size()); }

 private:
  static int SocketCb(CURL* easy, curl_socket_t s, int what, void* userp, void* socketp);
  static int TimerCb(CURLM* multi, long timeoutMs, void* userp);
  static size_t WriteCb(char* data, size_t size, size_t n, void* userp);
  static size_t HeaderCb(char* data, size_t size, size_t n, void* userp);
  static int ProgressCb(void* userp, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

  void WatchSocket(curl_socket_t s, int what);
  void Action(curl_socket_t s, int flags);
  void CollectDone();
  void Finish(Transfer* t, CURLcode code);
  void Abort(int id, WebFailure why);
  void Deliver(WebCallback done, WebResult r);

  CURLM* multi_ = nullptr;
  QObject ctx_;
  QTimer timer_;
  QTimer poll_;
  std::map<int, std::unique_ptr<Transfer>> transfers_;
  std::map<curl_socket_t, Watch> watches_;
  int next_ = 1;
};

// Reports every state after the last one reported up to `upTo`, in order.
void Advance(Transfer* t, int upTo) {
  while (t->state < upTo && t->state < 10) {
    ++t->state;
    if (t->request.onState) t->request.onState(t->state);
  }
}

// The states the timings show reached: resolved and connecting, connected,
// requesting, receiving.
void AdvanceByTimings(Transfer* t) {
  if (!t->easy) return;
  curl_off_t lookup = 0, connect = 0, pre = 0, first = 0;
  curl_easy_getinfo(t->easy, CURLINFO_NAMELOOKUP_TIME_T, &lookup);
  curl_easy_getinfo(t->easy, CURLINFO_CONNECT_TIME_T, &connect);
  curl_easy_getinfo(t->easy, CURLINFO_PRETRANSFER_TIME_T, &pre);
  curl_easy_getinfo(t->easy, CURLINFO_STARTTRANSFER_TIME_T, &first);
  if (first > 0) Advance(t, 7);
  else if (pre > 0) Advance(t, 5);
  else if (connect > 0) Advance(t, 4);
  else if (lookup > 0) Advance(t, 3);
}

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlWebClient::CurlWebClient() {
  GlobalInit();
  multi_ = curl_multi_init();
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlWebClient::SocketCb);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlWebClient::TimerCb);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, &ctx_, [this] { Action(CURL_SOCKET_TIMEOUT, 0); });
  // A slow safety poll while transfers run, should a socket event be missed.
  poll_.setInterval(250);
  QObject::connect(&poll_, &QTimer::timeout, &ctx_, [this] {
    if (transfers_.empty())
      poll_.stop();
    else
      Action(CURL_SOCKET_TIMEOUT, 0);
  });
}

CurlWebClient::~CurlWebClient() {
  for (auto& [id, t] : transfers_) {
    curl_multi_remove_handle(multi_, t->easy);
    curl_easy_cleanup(t->easy);
    if (t->file) t->file->remove();
  }
  transfers_.clear();
  for (auto& [s, w] : watches_) {
    delete w.read;
    delete w.write;
  }
  watches_.clear();
  curl_multi_cleanup(multi_);
}

int CurlWebClient::SocketCb(CURL*, curl_socket_t s, int what, void* userp, void*) {
  static_cast<CurlWebClient*>(userp)->WatchSocket(s, what);
  return 0;
}

int CurlWebClient::TimerCb(CURLM*, long timeoutMs, void* userp) {
  auto* self = static_cast<CurlWebClient*>(userp);
  if (timeoutMs < 0)
    self->timer_.stop();
  else
    self->timer_.start(static_cast<int>(timeoutMs));
  return 0;
}

void CurlWebClient::WatchSocket(curl_socket_t s, int what) {
  Watch& w = watches_[s];
  auto drop = [](QSocketNotifier*& n) {
    if (n) {
      n->setEnabled(false);
      n->deleteLater();
      n = nullptr;
    }
  };
  if (what == CURL_POLL_REMOVE) {
    drop(w.read);
    drop(w.write);
    watches_.erase(s);
    return;
  }
  bool wantRead = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
  bool wantWrite = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
  if (wantRead && !w.read) {
    w.read = new QSocketNotifier(s, QSocketNotifier::Read);
    QObject::connect(w.read, &QSocketNotifier::activated, &ctx_,
                     [this, s] { Action(s, CURL_CSELECT_IN); });
  } else if (!wantRead) {
    drop(w.read);
  }
  if (wantWrite && !w.write) {
    w.write = new QSocketNotifier(s, QSocketNotifier::Write);
    QObject::connect(w.write, &QSocketNotifier::activated, &ctx_,
                     [this, s] { Action(s, CURL_CSELECT_OUT); });
  } else if (!wantWrite) {
    drop(w.write);
  }
}

void CurlWebClient::Action(curl_socket_t s, int flags) {
  int running = 0;
  curl_multi_socket_action(multi_, s, flags, &running);
  CollectDone();
}

void CurlWebClient::CollectDone() {
  int left = 0;
  while (CURLMsg* m = curl_multi_info_read(multi_, &left)) {
    if (m->msg != CURLMSG_DONE) continue;
    Transfer* found = nullptr;
    for (auto& [id, t] : transfers_) {
      if (t->easy == m->easy_handle) found = t.get();
    }
    if (found) Finish(found, m->data.result);
  }
}

int CurlWebClient::ProgressCb(void* userp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  AdvanceByTimings(static_cast<Transfer*>(userp));
  return 0;
}

size_t CurlWebClient::HeaderCb(char*, size_t size, size_t n, void* userp) {
  auto* t = static_cast<Transfer*>(userp);
  Advance(t, 7);  // an answer is coming in
  if (t->request.idleTimeoutMs > 0) t->idle.start(t->request.idleTimeoutMs);
  return size * n;
}

size_t CurlWebClient::WriteCb(char* data, size_t size, size_t n, void* userp) {
  auto* t = static_cast<Transfer*>(userp);
  const size_t len = size * n;
  Advance(t, 7);
  if (t->request.idleTimeoutMs > 0) t->idle.start(t->request.idleTimeoutMs);
  if (t->isHttp) {
    long status = 0;
    curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
      t->badStatus = true;  // an error page is never kept
      return 0;
    }
  }
  if (t->bytes + static_cast<qint64>(len) > t->request.maxBytes) {
    t->tooLarge = true;
    return 0;
  }
  if (t->file) {
    if (t->file->write(data, static_cast<qint64>(len)) != static_cast<qint64>(len)) {
      t->fileError = true;
      return 0;
    }
  } else {
    t->body.append(data, static_cast<qsizetype>(len));
  }
  t->bytes += static_cast<qint64>(len);
  return len;
}

QByteArray NoProxyList() {
  QByteArray env = qgetenv("no_proxy");
  if (env.isEmpty()) env = qgetenv("NO_PROXY");
  QByteArray list = "localhost,127.0.0.1,::1";
  if (!env.isEmpty()) list = env + "," + list;
  return list;
}

int CurlWebClient::Start(const WebRequest& request, WebCallback done) {
  auto t = std::make_unique<Transfer>();
  t->id = next_++;
  t->request = request;
  t->done = std::move(done);
  const QByteArray lower = request.url.left(8).toLower();
  t->isHttp = lower.startsWith("http://") || lower.startsWith("https://");
  const int id = t->id;

  WebResult early;
  auto failEarly = [&] {
    if (t->request.onState) t->request.onState(11);
    Deliver(std::move(t->done), early);
  };
  if (!t->isHttp && !lower.startsWith("ftp://")) {
    early.failure = WebFailure::Transfer;
    early.code = CURLE_UNSUPPORTED_PROTOCOL;
    early.error = QStringLiteral("unsupported address");
    failEarly();
    return id;
  }
  if (!request.destination.isEmpty()) {
    QFileInfo target(request.destination);
    QDir().mkpath(target.absolutePath());
    t->file = std::make_unique<QTemporaryFile>(target.absolutePath() + "/.dl-XXXXXX");
    t->file->setAutoRemove(false);
    if (!t->file->open()) {
      early.failure = WebFailure::LocalFile;
      early.error = QStringLiteral("cannot create a temporary file beside ") + request.destination;
      failEarly();
      return id;
    }
  }

  CURL* e = curl_easy_init();
  t->easy = e;
  curl_easy_setopt(e, CURLOPT_URL, t->request.url.constData());
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  // A connection taken again from the cache is not always announced to the
  // socket callback (seen with FTP): every transfer gets its own.
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, 5L);
  static const QByteArray noProxy = NoProxyList();
  curl_easy_setopt(e, CURLOPT_NOPROXY, noProxy.constData());
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeoutMs));
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &CurlWebClient::WriteCb);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, t.get());
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &CurlWebClient::HeaderCb);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, t.get());
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t->errbuf);
  curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &CurlWebClient::ProgressCb);
  curl_easy_setopt(e, CURLOPT_XFERINFODATA, t.get());
  curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
  if (request.listNames) curl_easy_setopt(e, CURLOPT_DIRLISTONLY, 1L);
  static const bool verbose = qEnvironmentVariableIsSet("TAVREL_CURL_VERBOSE");  // for field diagnosis
  if (verbose) curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
  if (!request.user.isEmpty()) {
    // Store copies: curl keeps its own.
    QByteArray u = request.user.toUtf8(), p = request.password.toUtf8();
    curl_easy_setopt(e, CURLOPT_USERNAME, u.constData());
    curl_easy_setopt(e, CURLOPT_PASSWORD, p.constData());
  }
  Transfer* raw = t.get();
  raw->idle.setSingleShot(true);
  raw->total.setSingleShot(true);
  QObject::connect(&raw->idle, &QTimer::timeout, &ctx_, [this, id] { Abort(id, WebFailure::TimedOut); });
  QObject::connect(&raw->total, &QTimer::timeout, &ctx_, [this, id] { Abort(id, WebFailure::TimedOut); });
  if (request.idleTimeoutMs > 0) raw->idle.start(request.idleTimeoutMs);
  if (request.totalTimeoutMs > 0) raw->total.start(request.totalTimeoutMs);
  transfers_[id] = std::move(t);
  Advance(raw, 1);  // looking the host up
  curl_multi_add_handle(multi_, e);  // curl asks for its timer; work starts on the loop
  if (!poll_.isActive()) poll_.start();
  return id;
}

void CurlWebClient::Cancel(int id) { Abort(id, WebFailure::Cancelled); }

void CurlWebClient::Abort(int id, WebFailure why) {
  auto it = transfers_.find(id);
  if (it == transfers_.end()) return;
  it->second->forced = why;
  Finish(it->second.get(), CURLE_ABORTED_BY_CALLBACK);
}

void CurlWebClient::Deliver(WebCallback done, WebResult r) {
  if (!done) return;
  QTimer::singleShot(0, &ctx_, [done = std::move(done), r = std::move(r)] { done(r); });
}

void CurlWebClient::Finish(Transfer* t, CURLcode code) {
  std::unique_ptr<Transfer> owned = std::move(transfers_[t->id]);
  transfers_.erase(t->id);
  t->idle.stop();
  t->total.stop();
  WebResult r;
  r.code = static_cast<int>(code);
  curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &r.status);
  AdvanceByTimings(t);
  curl_multi_remove_handle(multi_, t->easy);
  curl_easy_cleanup(t->easy);
  t->easy = nullptr;
  r.bytes = t->bytes;

  if (t->forced != WebFailure::None) {
    r.failure = t->forced;
    r.error = t->forced == WebFailure::Cancelled ? QStringLiteral("cancelled") : QStringLiteral("timed out");
  } else if (t->badStatus || (t->isHttp && code == CURLE_OK && (r.status < 200 || r.status > 299))) {
    r.failure = WebFailure::BadStatus;
    r.error = QStringLiteral("HTTP status %1").arg(r.status);
  } else if (t->tooLarge) {
    r.failure = WebFailure::TooLarge;
    r.error = QStringLiteral("more than %1 bytes").arg(t->request.maxBytes);
  } else if (t->fileError) {
    r.failure = WebFailure::LocalFile;
    r.error = QStringLiteral("cannot write ") + t->request.destination;
  } else if (code != CURLE_OK) {
    r.failure = code == CURLE_OPERATION_TIMEDOUT ? WebFailure::TimedOut : WebFailure::Transfer;
    r.error = QString::fromUtf8(t->errbuf[0] ? t->errbuf : curl_easy_strerror(code));
  } else if (t->file && t->bytes == 0 && !t->request.allowEmpty) {
    r.failure = WebFailure::Empty;
    r.error = QStringLiteral("empty file");
  }

  if (t->file) {
    const QString temp = t->file->fileName();
    bool written = r.failure == WebFailure::None;
    if (written) {
      // The buffered tail goes out here: a full disk answers now, and the
      // transfer is then no success.
      errno = 0;
      written = t->file->flush() && ::fsync(t->file->handle()) == 0;
      if (!written) {
        r.failure = WebFailure::LocalFile;
        r.error = QStringLiteral("cannot write ") + t->request.destination + QStringLiteral(": ") +
                  fileReason(*t->file, errno);
      }
    }
    t->file->close();
    if (written) {
      // rename(2) replaces the target in one step: readers see the old file
      // or the whole new one, never a part.
      written = std::rename(QFile::encodeName(temp).constData(),
                            QFile::encodeName(t->request.destination).constData()) == 0;
      if (!written) {
        r.failure = WebFailure::LocalFile;
        r.error = QStringLiteral("cannot rename onto ") + t->request.destination;
      }
    }
    if (!written) QFile::remove(temp);
  } else if (r.failure == WebFailure::None) {
    r.body = std::move(t->body);
  }
  r.ok = r.failure == WebFailure::None;
  // Received, then the connection (never kept for another transfer) closed.
  if (r.ok)
    Advance(t, 10);
  else if (r.failure != WebFailure::Cancelled && t->request.onState)
    t->request.onState(11);
  Deliver(std::move(t->done), std::move(r));
  // We may be inside one of this transfer's own timer signals: free it later.
  std::shared_ptr<Transfer> keep(owned.release());
  QTimer::singleShot(0, &ctx_, [keep] {});
}

}  // namespace

std::unique_ptr<WebClient> MakeCurlWebClient() { return std::make_unique<CurlWebClient>(); }

}  // namespace plat
