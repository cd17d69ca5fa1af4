#pragma once
// HTTP GET and FTP downloads and listings, asynchronous on the event loop.
// A request either collects the body in memory (pages, listings) or streams
// it into a file: the bytes go to a hidden temporary file in the target's
// folder, which is renamed over the target only when the whole body arrived
// with a success status. An HTTP status other than 2xx is a failure and
// never leaves a file.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <functional>
#include <memory>

namespace plat {

struct WebRequest {
  WebRequest() = default;
  explicit WebRequest(QByteArray u) : url(std::move(u)) {}
  QByteArray url;          // encoded; http://, https:// or ftp://
  QString user;            // FTP login (empty: anonymous)
  QString password;
  QString destination;     // non-empty: write the body into this file
  bool listNames = false;  // FTP: the URL names a folder; list its names
  bool allowEmpty = false; // a file of 0 bytes counts as a success
  qint64 maxBytes = 256ll * 1024 * 1024;  // more is a failure (never cut)
  int connectTimeoutMs = 20000;
  int idleTimeoutMs = 20000;   // no byte or reply for this long: failure
  int totalTimeoutMs = 0;      // 0: no overall limit
  // The transfer's progress as the states of the transfer control: 1
  // resolving, 2 resolved, 3 connecting, 4 connected, 5 requesting, 6
  // request sent, 7 receiving, 8 received, 9 closing, 10 closed, 11 error.
  // Each state comes once, in that order (11 ends a failed one); a cancelled
  // transfer reports none after its cancel. Called on the event loop, also
  // from inside the client's work: it must not start or cancel a transfer.
  std::function<void(int state)> onState;
};

enum class WebFailure {
  None,
  Cancelled,
  TimedOut,
  TooLarge,
  BadStatus,   // HTTP status outside 2xx
  Empty,       // 0 bytes where a file was asked for
  Transfer,    // the library's own error (refused, not found, partial ...)
  LocalFile,   // the target could not be written or renamed
};

struct WebResult {
  bool ok = false;
  WebFailure failure = WebFailure::None;
  int code = 0;       // the library's result code (0 = fine)
  long status = 0;    // HTTP status, or the last FTP reply code
  QString error;      // a readable reason for logs
  QByteArray body;    // memory requests only
  qint64 bytes = 0;   // bytes of the body received
};

using WebCallback = std::function<void(const WebResult&)>;

class WebClient {
 public:
  virtual ~WebClient() = default;
  // Starts a transfer; `done` is called once, later, on the event loop, also
  // after Cancel. Returns an id > 0.
  virtual int Start(const WebRequest& request, WebCallback done) = 0;
  virtual void Cancel(int id) = 0;
  virtual int Running() const = 0;
};

// The libcurl client; nullptr-free, owned by the caller.
std::unique_ptr<WebClient> MakeCurlWebClient();

// Percent-encoding of one URL path segment: the text as CP950 bytes, every
// byte outside the unreserved set as %XX (a blank becomes %20).
QByteArray EncodePathSegment(QStringView segment);
// A folder path ("exam\sub" or "/abs/x"): "\" becomes "/", each segment is
// encoded; empty segments are dropped. A leading "/" is kept as "%2F" so an
// FTP server gets the absolute path.
QByteArray EncodeFolderPath(QStringView folder);

}  // namespace plat
