#include "tests/desktop/imsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <csignal>

namespace desktop {

std::unique_ptr<QProcess> ChildProcess() {
  auto p = std::make_unique<QProcess>();
  p->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
  return p;
}

bool WriteWholeFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size() && f.flush();
}

QString StartSessionBus(const QString& folder, std::unique_ptr<QProcess>& daemon) {
  const QString conf = folder + QStringLiteral("/bus.conf");
  if (!WriteWholeFile(conf, "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                            "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                            "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                            "<allow own=\"*\"/></policy></busconfig>\n")) {
    ADD_FAILURE() << "cannot write " << conf.toStdString();
    return {};
  }
  daemon = ChildProcess();
  daemon->setStandardErrorFile(QProcess::nullDevice());
  daemon->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + conf, QStringLiteral("--nofork"),
                                                QStringLiteral("--print-address=1")});
  if (!daemon->waitForStarted(5000)) {
    ADD_FAILURE() << "dbus-daemon did not start: " << daemon->errorString().toStdString();
    return {};
  }
  QByteArray line;
  QElapsedTimer t;
  t.start();
  while (!line.contains('\n') && t.elapsed() < 10000 && daemon->state() == QProcess::Running) {
    daemon->waitForReadyRead(200);
    line += daemon->readAllStandardOutput();
  }
  const QString address = QString::fromUtf8(line.trimmed());
  if (address.isEmpty()) ADD_FAILURE() << "dbus-daemon gave no address";
  return address;
}

}  // namespace desktop
