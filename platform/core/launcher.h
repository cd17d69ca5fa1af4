#pragma once
// Starting the other programs: an argument list, never a shell. Names such as
// "score.exe" map to the program of that name in the installation folder.
#include <QList>
#include <QString>
#include <QStringList>

namespace plat {

enum class WindowStyle { MinimizedFocus, NormalFocus, NormalNoFocus };

struct LaunchCall {
  QString program;      // resolved path
  QStringList arguments;
  WindowStyle style;
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts the program detached; false when it could not be started.
  virtual bool Start(const QString& program, const QStringList& arguments,
                     WindowStyle style = WindowStyle::NormalFocus);
};

// "C:\X\score.EXE" or "score.exe" -> <installation folder>/score (the path
// as given when it names an existing file).
QString ResolveProgram(const QString& name);

// The reason given when no program for a task is installed, naming the
// programs looked for: "找不到音量控制程式(pavucontrol、xfce4-mixer 都沒有安裝)。"
QString NoProgramText(const QString& task, const QStringList& programs);

Launcher& launcher();
void SetLauncher(Launcher* l);

}  // namespace plat
