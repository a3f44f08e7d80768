#include <QDir>
#include <QSettings>

#include "ViewerSettings.h"

namespace orlim::viewer {

QString configFolder() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  return base + QStringLiteral("/orlim");
}

QString controlPropertiesPath() { return configFolder() + QStringLiteral("/control.properties"); }

namespace {
QString windowSettingsPath() { return configFolder() + QStringLiteral("/orlim-viewer.ini"); }
}  // namespace

WindowSettings loadWindowSettings() {
  QSettings ini(windowSettingsPath(), QSettings::IniFormat);
  WindowSettings s;
  s.geometry = ini.value("window/geometry").toByteArray();
  s.recentFiles = ini.value("recent/files").toStringList();
  s.openFilterIndex = ini.value("open/filterIndex", 7).toInt();
  return s;
}

void saveWindowSettings(const WindowSettings& s) {
  QDir().mkpath(configFolder());
  QSettings ini(windowSettingsPath(), QSettings::IniFormat);
  ini.setValue("window/geometry", s.geometry);
  ini.setValue("recent/files", s.recentFiles);
  ini.setValue("open/filterIndex", s.openFilterIndex);
}

QStringList withRecentFile(QStringList recent, const QString& path, int limit) {
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > limit) recent.removeLast();
  return recent;
}

}  // namespace orlim::viewer
