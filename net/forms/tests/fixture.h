#pragma once
// The download window on a fresh program folder, with short time-outs, a
// scripted receiver and a fake prompt.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/store.h"
#include "net/forms/frmdownload3.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "platform/gui/form.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/fakeservers.h"
#include "testsupport/core/seams.h"

namespace testing_net {

inline QByteArray Bytes(int n, int seed = 0) {
  QByteArray b(n, '\0');
  for (int i = 0; i < n; ++i) b[i] = static_cast<char>((i + seed) % 251);
  return b;
}

inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the scripted receiver answers.
struct ReceiverScript {
  QByteArray tests = "QUSSET T01.TXT,T02.TXT";
  QByteArray params = "DEFLST 127.0.0.1,21,dunro,kelpa,exam";
  QByteArray notice = "DEFLST http://127.0.0.1:1/ad.htm";
  QHash<QString, QByteArray> files;          // name -> bytes
  QHash<QString, QByteArray> sizeReplies;    // name -> reply to FILSIZ in place of the size
  std::function<void(QTcpSocket*, const QByteArray&)> sendFile;  // in place of one write
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir.path());
    common::ResetCommonState();
    common::ProgramFolder.set(dir.path() + "/");
    // Texts as "<id>": a status line names the text it shows.
    for (int id : {10601, 10602, 10603, 10604, 10605, 10606, 10607, 10608, 10609, 10611, 10612, 10613, 10614,
                   10615, 10616, 10617, 10618, 10619, 10620, 10621, 10622, 10623, 10624, 10625, 10626, 10627,
                   14005, 11014, 997})
      common::SystemIniValue(id, Text(id));
    seams.Set(plat::SetPrompt, &prompt);
    w = &plat::forms::get<net::FrmDownload3>();
    w->Load();
    w->SetTimeouts(3000, 1000);
    w->Timer1->SetInterval(10);
    w->UserSetData = "4312000001112";  // digit 13: the receiver's transfer
    w->Text1->setText("DovoRO__");
    w->T5->setText("127.0.0.1");
    w->T6->setText(receiver.Port());
    w->OpenPage = [this](const QUrl& u) { opened << u.toString(); };
    QDir().mkpath(Data());
  }
  void TearDown() override {
    plat::FormRegistry::DestroyAll();
    common::ResetCommonState();
    plat::SetProgramFolder(QString());
  }
  static QString Text(int id) { return QStringLiteral("<%1>").arg(id); }
  QString Data() const { return dir.path() + "/Data"; }
  QString InData(const QString& name) const { return Data() + "/" + name; }
  // Every entry of Data/, hidden work files included.
  QStringList DataFiles() const { return QDir(Data()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
  QStringList Log() const {
    QStringList out;
    for (int i = 0; i < w->List2->count(); ++i) out << w->List2->item(i)->text();
    return out;
  }
  // No flow under way and no automatic retry waiting for its tick.
  bool Settled() const { return !w->Busy() && w->UserSw != net::mode::kFetchNamed; }
  bool WaitSettled(int ms = 10000) {
    return WaitFor([this] { return Settled(); }, ms);
  }
  void Serve(const ReceiverScript& s) {
    receiver.script = [s](QTcpSocket* sock, const QString& req) {
      const QStringList words = req.split(u' ');
      if (req.startsWith("GETQUS")) {
        FakeReceiver::Reply(sock, s.tests);
      } else if (req == "GETDEF 027 028 029 030 031") {
        FakeReceiver::Reply(sock, s.params);
      } else if (req == "GETDEF 005") {
        FakeReceiver::Reply(sock, s.notice);
      } else if (words.value(0) == "FILSIZ") {
        const QString name = words.value(2);
        if (s.sizeReplies.contains(name))
          FakeReceiver::Reply(sock, s.sizeReplies[name]);
        else if (s.files.contains(name))
          FakeReceiver::Reply(sock, "FILSIZ " + QByteArray::number(s.files[name].size()));
        else
          FakeReceiver::Reply(sock, "Not Found");
      } else if (words.value(0) == "FILBIN") {
        const QByteArray bytes = s.files.value(words.value(2));
        if (s.sendFile)
          s.sendFile(sock, bytes);
        else
          FakeReceiver::Reply(sock, bytes);
      }
    };
  }
  QStringList Requests(const QString& word) const {
    QStringList out;
    for (const QString& r : receiver.requests)
      if (r.startsWith(word)) out << r;
    return out;
  }
  QStringList Messages() const {
    QStringList out;
    for (const plat::PromptCall& c : prompt.calls) out << c.text;
    return out;
  }

  QTemporaryDir dir;
  FakeReceiver receiver;
  plat::FakePrompt prompt;
  net::FrmDownload3* w = nullptr;
  QStringList opened;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace testing_net
