#pragma once

#include <QList>
#include <QString>

// Adding and removing a font for this program only, the way the console makes its typewriter
// font available when the system does not have it. Needs a QGuiApplication.
namespace FontInstaller {

// True when a font family of this name is known, installed or added, compared without regard
// to case.
bool isInstalled(const QString& family);

// Makes the font file at `path` available to this program; the id for remove(), or -1 when
// the file is missing or no font. Shows nothing on failure: the caller decides.
int add(const QString& path);

// Withdraws a font added with add(); an unknown id is ignored.
void remove(int id);

// Where Debian's fonts-wine puts its faces; it does not register them with fontconfig.
inline constexpr const char* wineFonts = "/usr/share/wine/fonts";

// Adds Wine's Tahoma (made to Tahoma's widths and metrics) when no Tahoma is installed, so that
// every font asked for as "Tahoma" gets it; where the file is missing nothing changes and the
// callers' stand-ins apply. Bold is drawn from the regular face, at every size: Wine's bold
// face has bold widths but the regular strokes, and would show every bold text as a spaced-out
// regular one. The ids of the faces added, for remove().
QList<int> addTahoma(const QString& folder = QLatin1String(wineFonts));

} // namespace FontInstaller
