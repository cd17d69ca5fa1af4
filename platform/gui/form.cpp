#include "platform/gui/form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gui/formtimer.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "platform/gui/x11window.h"

namespace plat {

namespace {

struct Slot {
  std::type_index type;
  Form* form;
};

std::vector<Slot>& registered() {
  static std::vector<Slot> s;
  return s;
}

QList<Form*>& live() {
  static QList<Form*> l;
  return l;
}

Form* g_active = nullptr;
ModalDriver g_modalDriver;
std::function<QWidget*()> g_defaultOwner;

bool IsBackdropWindow(const QWindow* w) {
  for (const Form* f : live())
    if (f->IsBackdrop() && f->windowHandle() == w) return true;
  return false;
}

// The shown window the form goes over: the owner's, else the nearest shown
// window it is owned by, else the default owner; never a backdrop (a window
// owned by the desktop's own window would go down with it, and lose its
// taskbar entry), never one the form itself owns (that would make a loop).
QWindow* OwnerWindow(QWidget* owner, QWidget* self) {
  QWindow* w = nullptr;
  if (owner && owner->window() != self) {
    owner->window()->winId();
    w = owner->window()->windowHandle();
  }
  while (w && (!w->isVisible() || IsBackdropWindow(w))) w = w->transientParent();
  if (!w) {
    QWidget* d = DefaultOwner();
    if (d && d->window() != self) w = d->window()->windowHandle();
  }
  if (w && IsBackdropWindow(w)) return nullptr;
  for (QWindow* up = w; up; up = up->transientParent())
    if (up == self->windowHandle()) return nullptr;
  return w;
}

// The enabled window shown over a disabled one (a question, a notice), the
// topmost of a chain; nullptr when none is on screen.
QWidget* WindowWaitingOver(const QWidget* disabled) {
  const QWindow* below = disabled->windowHandle();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible() || !w->windowHandle() || w->windowHandle()->transientParent() != below) continue;
    if (w->isEnabled()) {
      QWidget* higher = WindowWaitingOver(w);
      return higher ? higher : w;
    }
    if (QWidget* higher = WindowWaitingOver(w)) return higher;
  }
  return nullptr;
}

// The program's window last given the focus, backdrops aside.
QPointer<QWidget> g_lastFront;

void WatchFront() {
  static bool watching = false;
  if (watching || !qGuiApp) return;
  watching = true;
  QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, qGuiApp, [](QWindow* window) {
    if (!window || IsBackdropWindow(window)) return;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowHandle() == window) g_lastFront = w;
  });
}

// The program's topmost shown window, for a backdrop to hand the focus to:
// the modal one, else the one last given the focus (or what waits over it),
// else the form last active, else any shown one.
QWidget* FrontWindow() {
  if (QWidget* m = QApplication::activeModalWidget(); m && m->isVisible()) return m;
  for (QWidget* w : {static_cast<QWidget*>(g_lastFront), static_cast<QWidget*>(g_active)}) {
    if (!w || !w->isVisible()) continue;
    if (w->isEnabled()) return w;
    if (QWidget* over = WindowWaitingOver(w)) return over;
  }
  const QList<QWidget*> tops = QApplication::topLevelWidgets();
  for (auto it = tops.crbegin(); it != tops.crend(); ++it) {
    QWidget* w = *it;
    if (w->isVisible() && w->isEnabled() && w->windowHandle() && !IsBackdropWindow(w->windowHandle()) &&
        !(w->windowFlags() & Qt::WindowDoesNotAcceptFocus) && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
      return w;
  }
  return nullptr;
}

QString HandlerName(const QObject* f, const char* handler) {
  return f->objectName() + QLatin1Char('.') + QLatin1String(handler);
}

}  // namespace

// ---- registry ---------------------------------------------------------------

Form* FormRegistry::Find(std::type_index type) {
  for (const Slot& s : registered())
    if (s.type == type) return s.form;
  return nullptr;
}

void FormRegistry::Put(std::type_index type, Form* f) {
  for (Slot& s : registered())
    if (s.type == type) {
      s.form = f;
      return;
    }
  registered().push_back({type, f});
}

void FormRegistry::Forget(Form* f) {
  auto& v = registered();
  for (auto it = v.begin(); it != v.end();)
    it = it->form == f ? v.erase(it) : it + 1;
  if (g_active == f) g_active = nullptr;
}

QList<Form*> FormRegistry::All() { return live(); }

Form* FormRegistry::Active() { return g_active; }

void FormRegistry::DestroyAll() {
  registered().clear();
  g_active = nullptr;
  const QList<Form*> all = live();
  for (Form* f : all) delete f;
}

void SetModalDriver(ModalDriver driver) { g_modalDriver = std::move(driver); }

void SetDefaultOwner(std::function<QWidget*()> owner) { g_defaultOwner = std::move(owner); }

QWidget* DefaultOwner() {
  QWidget* d = g_defaultOwner ? g_defaultOwner() : nullptr;
  return d && d->isVisible() ? d : nullptr;
}

// ---- form -------------------------------------------------------------------

Form::Form(const QString& name) : QDialog(nullptr) {
  if (!name.isEmpty()) setObjectName(name);
  live().append(this);
  WatchFront();
}

Form::~Form() {
  live().removeAll(this);
  FormRegistry::Forget(this);
}

void Form::Load() {
  if (loaded_ || unloaded_) return;
  loaded_ = true;  // set first: the handler may touch its own controls
  RunHandler(HandlerName(this, "Form_Load"), [this] { Form_Load(); });
}

void Form::Activate() {
  Form* previous = g_active;
  g_active = this;
  if (previous && previous != this)
    RunHandler(HandlerName(previous, "Form_Deactivate"), [previous] { previous->Form_Deactivate(); });
  RunHandler(HandlerName(this, "Form_Activate"), [this] { Form_Activate(); });
}

void Form::Show(ShowMode mode, QWidget* owner) {
  if (unloaded_ || app().Ending()) return;
  Load();
  if (unloaded_ || app().Ending()) return;  // the load handler may have ended it
  if (!isVisible()) {
    winId();
    if (QWindow* over = OwnerWindow(owner, this)) windowHandle()->setTransientParent(over);
    if (backdrop_) x11::MarkDesktopWindow(this);
  }
  const bool modal = mode == ShowMode::Modal;
  if (modal && !isVisible()) setWindowModality(Qt::ApplicationModal);
  setVisible(true);
  KeepOnScreen();
  // A window that takes no focus is never asked to be activated.
  if (backdrop_ || (windowFlags() & Qt::WindowDoesNotAcceptFocus)) return;
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
  activateWindow();
  if (g_active != this) Activate();
  if (!modal) return;
  if (!isVisible() || unloaded_ || app().Ending()) {
    setWindowModality(Qt::NonModal);
    return;
  }
  ++modalDepth_;
  if (g_modalDriver) {
    g_modalDriver(*this);
  } else {
    exec();  // returns when the form hides
  }
  --modalDepth_;
  if (!unloaded_) {
    setWindowModality(Qt::NonModal);
  } else if (modalDepth_ == 0) {
    deleteLater();
  }
}

void Form::HideWindow() {
  if (g_active == this) g_active = nullptr;
  setVisible(false);
}

void Form::Hide() {
  const bool wasActive = g_active == this;
  HideWindow();
  if (wasActive) RunHandler(HandlerName(this, "Form_Deactivate"), [this] { Form_Deactivate(); });
}

bool Form::Unload(UnloadMode mode) {
  if (unloading_ || unloaded_) return true;
  if (mode == UnloadMode::ControlMenu && refusesClose_ && !app().Ending()) return false;
  unloading_ = true;
  if (loaded_ && !app().Ending()) {
    int cancel = 0;
    RunHandler(HandlerName(this, "Form_QueryUnload"), [&] { Form_QueryUnload(cancel, mode); });
    if (cancel == 0) RunHandler(HandlerName(this, "Form_Unload"), [&] { Form_Unload(cancel); });
    if (cancel != 0) {
      unloading_ = false;
      return false;
    }
  }
  unloaded_ = true;
  unloading_ = false;
  FormRegistry::Forget(this);
  for (FormTimer* t : findChildren<FormTimer*>()) t->SetEnabled(false);
  HideWindow();
  if (modalDepth_ == 0) deleteLater();  // a modal show deletes when it returns
  return true;
}

void Form::PassFocus(QWidget* waiting, int tries, bool direct) {
  // A window manager busy with its own focus change (the end of an Alt+Tab)
  // may yet give the focus back here: ask again, a few times.
  QPointer<QWidget> w(waiting);
  QTimer::singleShot(tries == 3 ? 0 : 300, this, [this, w, tries, direct] {
    if (!w || !w->isVisible() || !isVisible()) return;
    if (tries < 3 && QApplication::activeWindow() != this) return;
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
    // A manager that thinks the backdrop active may refuse the request
    // (focus-stealing prevention): the program holds the X focus, and
    // may hand it to a window of its own.
    if (direct) x11::MoveFocusTo(w);
    w->activateWindow();
    if (tries > 1) PassFocus(w, tries - 1, direct);
  });
}

void Form::MakeBackdrop() {
  backdrop_ = true;
  refusesClose_ = true;
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                 Qt::WindowStaysOnBottomHint);
  setEnabled(false);
}

bool Form::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && !isEnabled() && isVisible()) {
    // A window manager may hand the focus to a disabled window (Alt+Tab, a
    // taskbar click, a click on it): it goes on to the window that waits
    // over it, which comes up with the focus where it was.
    if (QWidget* waiting = WindowWaitingOver(this)) {
      PassFocus(waiting, 3);
    } else if (backdrop_) {
      HandBackFocus();
    }
  }
  // Keys that reach a backdrop before the focus has moved on go where the
  // focus is going.
  if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) && backdrop_) {
    if (QWidget* front = FrontWindow()) {
      QWidget* to = front->focusWidget() ? front->focusWidget() : front;
      std::unique_ptr<QEvent> copy(e->clone());
      QCoreApplication::sendEvent(to, copy.get());
    }
    return true;
  }
  if (e->type() == QEvent::WindowActivate && loaded_ && !unloaded_ && isVisible() && !backdrop_ &&
      g_active != this && !app().Ending())
    Activate();
  return QDialog::event(e);
}

void Form::closeEvent(QCloseEvent* e) {
  e->ignore();
  if (app().Ending() || unloaded_) {
    HideWindow();
    return;
  }
  Unload(UnloadMode::ControlMenu);
}

void Form::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  KeepOnScreenSoon();
  if (loaded_ && !unloaded_) RunHandler(HandlerName(this, "Form_Resize"), [this] { Form_Resize(); });
}

void Form::moveEvent(QMoveEvent* e) {
  QDialog::moveEvent(e);
  KeepOnScreenSoon();
}

void Form::KeepOnScreenSoon() {
  // Once the change is through: a window system may still be applying the
  // size or place it was given, and a fit inside it would be undone.
  if (fitQueued_ || backdrop_) return;
  fitQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    fitQueued_ = false;
    KeepOnScreen();
  });
}

void Form::KeepOnScreen() {
  // A backdrop covers the whole screen by design.
  if (backdrop_ || fitting_ || !isVisible()) return;
  fitting_ = true;
  FitOnScreen(this);
  fitting_ = false;
}

// A window manager may minimise or roll up any window, button or not. A
// form whose design has no minimise button (the test screen, whose clock
// runs on, or a dialog that waits for an answer) comes straight back, in
// front and with the focus, so the keys never go to a window out of sight.
// A frameless window (a backdrop) goes with the window it stands behind.
bool Form::StaysInSight() const {
  const Qt::WindowFlags flags = windowFlags();
  return !((flags & Qt::WindowMinimizeButtonHint) || (flags & Qt::FramelessWindowHint) ||
           (windowType() == Qt::Window && !(flags & ~Qt::WindowType_Mask)));
}

void Form::ComeBack() {
  QTimer::singleShot(0, this, [this] {
    if (!isVisible()) return;
    const bool minimised = windowState() & Qt::WindowMinimized;
    const bool shaded = x11::IsShaded(this);
    if (!minimised && !shaded) return;
    if (minimised) setWindowState(windowState() & ~Qt::WindowMinimized);
    if (shaded) x11::Unshade(this);
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
    activateWindow();
  });
}

void Form::changeEvent(QEvent* e) {
  QDialog::changeEvent(e);
  if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && StaysInSight())
    ComeBack();
}

void Form::HandBackFocus() {
  // A backdrop owns no window: the focus goes to the program's topmost one,
  // whose focus widget keeps its caret. Once, though both the X focus and
  // Qt's activation tell of it.
  if (handingBack_) return;
  QWidget* front = FrontWindow();
  if (!front) return;
  handingBack_ = true;
  QTimer::singleShot(0, this, [this] { handingBack_ = false; });
  PassFocus(front, 3, true);
}

bool Form::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  if (StaysInSight() && x11::IsStateChange(eventType, message)) ComeBack();
  if (backdrop_ && isVisible() && x11::IsFocusIn(eventType, message)) HandBackFocus();
  return QDialog::nativeEvent(eventType, message, result);
}

void Form::keyPressEvent(QKeyEvent* e) {
  // A form is not a dialog box: Escape closes nothing unless a Cancel button
  // is named, and Enter clicks only a button marked default.
  switch (e->key()) {
    case Qt::Key_Escape:
      if (cancelButton_ && cancelButton_->isVisible() && cancelButton_->isEnabled())
        cancelButton_->click();
      e->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      for (QPushButton* b : findChildren<QPushButton*>())
        if (b->isDefault() && b->isVisible() && b->isEnabled()) {
          b->click();
          e->accept();
          return;
        }
      e->ignore();
      return;
    default:
      QDialog::keyPressEvent(e);
  }
}

// ---- program end ------------------------------------------------------------

void AppControl::EndProgram(int code) {
  ending_ = true;
  FormTimer::StopAll();
  for (Form* f : FormRegistry::All()) f->HideWindow();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) w->hide();  // message boxes and dialogs: their loops return
  Exit(code);
}

void AppControl::Exit(int code) {
  QCoreApplication::exit(code);
  // Before the main loop runs, exit() has no loop to leave: leave it once it starts.
  QTimer::singleShot(0, qApp, [code] { QCoreApplication::exit(code); });
}

namespace {
AppControl* g_app = nullptr;
}

AppControl& app() {
  static AppControl real;
  return g_app ? *g_app : real;
}

void SetAppControl(AppControl* a) { g_app = a; }

}  // namespace plat
