#pragma once
// The form base: every window of the three programs derives from Form, so
// that its code reads like its design (Form_Load, Form_Activate, Unload ...).
//
// Life of a form:
//   - one global instance per form class, built on first use through
//     plat::forms::get<F>() (object and controls only, no Form_Load);
//   - plat::forms::loaded<F>() or Load() runs Form_Load once;
//   - Show() loads, shows and runs Form_Activate once per show; a modal show
//     returns when the form hides or unloads;
//   - Unload() asks Form_QueryUnload and Form_Unload, then drops the
//     instance: the next get<F>() builds a fresh one with design defaults;
//   - the program's end (AppControl::EndProgram) runs no unload handler.
//
// A form class with a Chinese name carries no Q_OBJECT (moc does not see it):
// it declares no signals or slots and connects with lambdas.
#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <typeindex>
#include <typeinfo>

class QAbstractButton;
class QCloseEvent;

namespace plat {

// Why a form is asked to unload (the numbers of the Windows forms).
enum class UnloadMode { ControlMenu = 0, Code = 1, AppWindows = 2, TaskManager = 3, Owner = 5 };

enum class ShowMode { Modeless = 0, Modal = 1 };

class Form : public QDialog {
  Q_OBJECT

 public:
  explicit Form(const QString& name = QString());
  ~Form() override;

  // Runs Form_Load unless it ran already for this instance.
  void Load();
  bool IsLoaded() const { return loaded_; }

  // Loads, shows (owned by owner's window when given) and activates. Modal:
  // returns when the form is hidden or unloaded.
  void Show(ShowMode mode = ShowMode::Modeless, QWidget* owner = nullptr);
  void Hide();
  // Form_QueryUnload, then Form_Unload; either may cancel (false). Then the
  // form hides, its timers stop and the instance is dropped and deleted later.
  bool Unload(UnloadMode mode = UnloadMode::Code);
  bool IsUnloaded() const { return unloaded_; }
  bool InModalShow() const { return modalDepth_ > 0; }

  // The Escape key clicks this button (the design's Cancel button).
  void SetCancelButton(QAbstractButton* b) { cancelButton_ = b; }

  // A form the design never lets a person close: the window manager's
  // close (title bar, taskbar, Alt+F4) is refused before any handler runs.
  void SetRefusesWindowManagerClose(bool refuses) { refusesClose_ = refuses; }
  bool RefusesWindowManagerClose() const { return refusesClose_; }

  // A backdrop: a controlless window behind the program's screens. It is
  // the desktop's own window to the window manager (below every other
  // window, no taskbar entry), takes no focus, is never activated nor the
  // owner of another window, and refuses the window manager's close.
  void MakeBackdrop();
  bool IsBackdrop() const { return backdrop_; }

 protected:
  virtual void Form_Load() {}
  virtual void Form_Activate() {}
  virtual void Form_Deactivate() {}
  virtual void Form_QueryUnload(int& cancel, UnloadMode mode) {
    (void)cancel;
    (void)mode;
  }
  virtual void Form_Unload(int& cancel) { (void)cancel; }
  virtual void Form_Resize() {}

  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  friend class AppControl;
  void Activate();
  void HideWindow();
  // A form whose design has no minimise button: the window manager's
  // minimise or roll-up is undone at once.
  bool StaysInSight() const;
  void ComeBack();
  // Hands the focus on to the window waiting over this disabled one; a
  // backdrop, which holds the focus it must not keep, also moves it there
  // itself (`direct`).
  void PassFocus(QWidget* waiting, int tries, bool direct = false);
  // Every shown window stays on the screen, whatever size or place it is given.
  void KeepOnScreen();
  void KeepOnScreenSoon();
  // A backdrop that got the focus gives it to the program's front window.
  void HandBackFocus();

  bool loaded_ = false;
  bool unloading_ = false;
  bool unloaded_ = false;
  int modalDepth_ = 0;
  bool refusesClose_ = false;
  bool backdrop_ = false;
  bool fitting_ = false;
  bool fitQueued_ = false;
  bool handingBack_ = false;
  QAbstractButton* cancelButton_ = nullptr;
};

// The global instances, one per form class.
class FormRegistry {
 public:
  static Form* Find(std::type_index type);
  static void Put(std::type_index type, Form* f);
  static void Forget(Form* f);
  // Every live instance (registered or not), in creation order.
  static QList<Form*> All();
  // The form that last became active (nullptr after it hid).
  static Form* Active();
  // Deletes every form at once, no handler runs (program exit, test teardown).
  static void DestroyAll();
};

namespace forms {

// The instance, built on first use; not loaded.
template <class F>
F& get() {
  Form* f = FormRegistry::Find(typeid(F));
  if (!f) {
    f = new F;
    FormRegistry::Put(typeid(F), f);
  }
  return static_cast<F&>(*f);
}

// The instance, loaded: touching a control of a form loads it.
template <class F>
F& loaded() {
  F& f = get<F>();
  f.Load();
  return f;
}

template <class F>
bool exists() {
  return FormRegistry::Find(typeid(F)) != nullptr;
}

// Unloads the instance when there is one; false when a handler cancelled.
template <class F>
bool unload(UnloadMode mode = UnloadMode::Code) {
  Form* f = FormRegistry::Find(typeid(F));
  return f ? f->Unload(mode) : true;
}

inline Form* active() { return FormRegistry::Active(); }

}  // namespace forms

// objectName of an element of a control array: "TB(3)". Caption tables and
// tests find elements by it.
inline QString ArrayElementName(const QString& array, int index) {
  return array + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

// The window a form is shown over when it is shown without an owner, or
// with one that is not on screen: a window manager keeps an owned window
// above its owner. None when the function is empty, the window is hidden or
// it is a backdrop (which owns no window).
void SetDefaultOwner(std::function<QWidget*()> owner);
// The default owner when it is on screen, else nullptr.
QWidget* DefaultOwner();

// Tests replace the nested loop of a modal show: the driver gets the shown,
// activated form and acts as the user would; the show returns after it.
using ModalDriver = std::function<void(Form&)>;
void SetModalDriver(ModalDriver driver);

// Program end: stops every form timer, hides every window, leaves all event
// loops. The calling handler returns at once; handlers that follow a modal
// show check Ending().
class AppControl {
 public:
  virtual ~AppControl() = default;
  void EndProgram(int code = 0);
  bool Ending() const { return ending_; }
  // Tests reuse the process: forget an earlier end.
  void Reset() { ending_ = false; }

 protected:
  virtual void Exit(int code);

 private:
  bool ending_ = false;
};

AppControl& app();
// Installs an AppControl (not owned); nullptr restores the real one.
void SetAppControl(AppControl* a);

}  // namespace plat
