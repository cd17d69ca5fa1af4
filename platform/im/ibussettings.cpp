// GLib's headers first: Qt's keywords (signals) are macros that GIO's
// declarations would meet.
#include <gio/gio.h>

#include "platform/im/imframework.h"

#include <QFile>

namespace plat {

namespace {

GSettings* Open(const char* schemaId, const char* key) {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (!source) return nullptr;
  // GSettings aborts on a schema or key that is not installed: looked up first.
  GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
  if (!schema) return nullptr;
  const bool has = g_settings_schema_has_key(schema, key);
  GSettings* s = has ? g_settings_new_full(schema, nullptr, nullptr) : nullptr;
  g_settings_schema_unref(schema);
  return s;
}

}  // namespace

QStringList DBusImFramework::IbusSettingsEngines() {
  // The settings back end would reach the session bus, and the bus library
  // would start one where there is none.
  const bool bus = !qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").isEmpty() ||
                   QFile::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus"));
  if (!bus && qEnvironmentVariableIsEmpty("GSETTINGS_BACKEND")) return {};
  QStringList out;
  // ibus's own panel preloads these.
  if (GSettings* s = Open("org.freedesktop.ibus.general", "preload-engines")) {
    gchar** names = g_settings_get_strv(s, "preload-engines");
    for (gchar** n = names; n && *n; ++n) out << QString::fromUtf8(*n);
    g_strfreev(names);
    g_object_unref(s);
  }
  // GNOME keeps its input sources itself: ("xkb", "us"), ("ibus", "chewing").
  if (GSettings* s = Open("org.gnome.desktop.input-sources", "sources")) {
    GVariant* sources = g_settings_get_value(s, "sources");
    if (g_variant_is_of_type(sources, G_VARIANT_TYPE("a(ss)"))) {
      GVariantIter it;
      const gchar* type = nullptr;
      const gchar* id = nullptr;
      g_variant_iter_init(&it, sources);
      while (g_variant_iter_next(&it, "(&s&s)", &type, &id))
        if (g_strcmp0(type, "ibus") == 0) out << QString::fromUtf8(id);
    }
    g_variant_unref(sources);
    g_object_unref(s);
  }
  out.removeDuplicates();
  return out;
}

}  // namespace plat
