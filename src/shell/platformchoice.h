#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

// The Qt platform plugin to run on, decided from the session's environment; empty when Qt's own
// choice stands. A Wayland session lets no program place its windows or change their opacity,
// and the splash needs both, so there the program goes through XWayland when it is available.
// A platform the user chose (QT_QPA_PLATFORM) always wins.
QByteArray choosePlatform(const QProcessEnvironment &environment);

// Applies choosePlatform() to the application object about to be made. Call it before the
// application object exists and restorePlatformChoice() right after, so that programs this
// one starts make their own choice.
void applyPlatformChoice();
void restorePlatformChoice();
