// Where the viewer keeps what outlives a run, all in the user's configuration
// folder ($XDG_CONFIG_HOME/orlim, else ~/.config/orlim): the control's
// persisted properties as the control's own property bag ("control.properties"),
// and the window's own things (geometry, recent files, the open dialog's
// filter index) in "orlim-viewer.ini".
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orlim::viewer {

QString configFolder();
QString controlPropertiesPath();

struct WindowSettings {
  QByteArray geometry;
  QStringList recentFiles;
  int openFilterIndex = 7;  // "All supported image files"
};

WindowSettings loadWindowSettings();
void saveWindowSettings(const WindowSettings& settings);

// `path` first, without duplicates, at most `limit` entries.
QStringList withRecentFile(QStringList recent, const QString& path, int limit = 8);

}  // namespace orlim::viewer
