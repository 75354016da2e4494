#pragma once

#include <QString>

class QWidget;
class SkinFramework;

// The optional files beside the program: the panel's skin and the hand
// pointer. Both may be missing; that is no error.
namespace SideFiles {

// The folder that holds the executable, or the one tests set instead.
QString programFolder();
void setProgramFolder(const QString &folder); // empty restores the default

QString pointerPath();
QString skinPath();

// True when the file's modification time can be read. Never raises.
bool fileExists(const QString &path) noexcept;

// Skins the panel when the skin file is there; raises AppError at the
// first step that fails, leaving what was done before it in place.
void applySkin(QWidget *panel, SkinFramework &skin);

} // namespace SideFiles
