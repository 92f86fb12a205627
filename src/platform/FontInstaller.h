#pragma once

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

} // namespace FontInstaller
