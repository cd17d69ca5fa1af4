#include "platform/gui/x11window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>

namespace plat::x11 {

namespace {

xcb_connection_t* Connection() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x ? x->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  const auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name);
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(xcb_intern_atom_reply(c, cookie, nullptr),
                                                                   &std::free);
  return r ? r->atom : XCB_ATOM_NONE;
}

xcb_window_t Id(const QWidget* w) { return w && w->windowHandle() ? static_cast<xcb_window_t>(w->winId()) : 0; }

xcb_window_t Root(xcb_connection_t* c) {
  const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  return s ? s->root : 0;
}

std::optional<bool> g_outOfReach;

}  // namespace

bool OutOfReach() {
  if (g_outOfReach) return *g_outOfReach;
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void SetOutOfReachForTests(std::optional<bool> outOfReach) { g_outOfReach = outOfReach; }

void MarkDesktopWindow(QWidget* window) {
  xcb_connection_t* c = Connection();
  if (!c || !window) return;
  window->winId();
  const xcb_window_t id = Id(window);
  const xcb_atom_t type = Atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, Atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
  // Qt merges its own states into these when it maps the window.
  const xcb_atom_t states[] = {Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, states);
  xcb_flush(c);
}

bool IsShaded(const QWidget* window) {
  xcb_connection_t* c = Connection();
  const xcb_window_t id = Id(window);
  if (!c || !id) return false;
  const xcb_atom_t shaded = Atom(c, "_NET_WM_STATE_SHADED");
  const auto cookie = xcb_get_property(c, 0, id, Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64);
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(xcb_get_property_reply(c, cookie, nullptr),
                                                                    &std::free);
  if (!r || r->format != 32) return false;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
  const int n = xcb_get_property_value_length(r.get()) / 4;
  for (int i = 0; i < n; ++i)
    if (atoms[i] == shaded) return true;
  return false;
}

void Unshade(const QWidget* window) {
  xcb_connection_t* c = Connection();
  const xcb_window_t id = Id(window);
  if (!c || !id) return;
  xcb_client_message_event_t e{};
  e.response_type = XCB_CLIENT_MESSAGE;
  e.format = 32;
  e.window = id;
  e.type = Atom(c, "_NET_WM_STATE");
  e.data.data32[0] = 0;  // remove
  e.data.data32[1] = Atom(c, "_NET_WM_STATE_SHADED");
  e.data.data32[3] = 1;  // from an application
  xcb_send_event(c, 0, Root(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&e));
  xcb_flush(c);
}

void MoveFocusTo(const QWidget* window) {
  xcb_connection_t* c = Connection();
  const xcb_window_t id = Id(window);
  if (!c || !id || !window->isVisible() || window->isMinimized()) return;
  xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
  xcb_flush(c);
}

bool IsFocusIn(const QByteArray& eventType, const void* message) {
  if (eventType != "xcb_generic_event_t" || !message) return false;
  const auto* e = static_cast<const xcb_generic_event_t*>(message);
  if ((e->response_type & 0x7f) != XCB_FOCUS_IN) return false;
  // As Qt: a grab's focus changes and the pointer's are no focus given.
  const auto* f = reinterpret_cast<const xcb_focus_in_event_t*>(e);
  return f->mode != XCB_NOTIFY_MODE_GRAB && f->mode != XCB_NOTIFY_MODE_UNGRAB && f->detail != XCB_NOTIFY_DETAIL_POINTER;
}

bool IsStateChange(const QByteArray& eventType, const void* message) {
  if (eventType != "xcb_generic_event_t" || !message) return false;
  const auto* e = static_cast<const xcb_generic_event_t*>(message);
  if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  xcb_connection_t* c = Connection();
  static const xcb_atom_t state = c ? Atom(c, "_NET_WM_STATE") : XCB_ATOM_NONE;
  return state != XCB_ATOM_NONE && reinterpret_cast<const xcb_property_notify_event_t*>(e)->atom == state;
}

}  // namespace plat::x11
