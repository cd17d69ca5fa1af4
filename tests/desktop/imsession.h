#pragma once
// What the input-method tests share: processes that end with the test even
// when it dies, and a session bus of the test's own that starts no service
// by itself (a call to a framework that is not there must not start one).
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <memory>

namespace desktop {

std::unique_ptr<QProcess> ChildProcess();
// Writes the whole file, making its folder; false when any of it failed.
bool WriteWholeFile(const QString& path, const QByteArray& text);
// Starts dbus-daemon with its configuration in `folder`; the bus's address,
// or empty with a failure added.
QString StartSessionBus(const QString& folder, std::unique_ptr<QProcess>& daemon);

}  // namespace desktop
