#include "shell/platformchoice.h"

#include <QtGlobal>

namespace {
const char platformVariable[] = "QT_QPA_PLATFORM";
bool s_applied = false;
} // namespace

QByteArray choosePlatform(const QProcessEnvironment &environment)
{
    if (!environment.value(QLatin1String(platformVariable)).isEmpty())
        return {};
    const bool waylandSession = environment.value(QStringLiteral("XDG_SESSION_TYPE"))
                                        .compare(QLatin1String("wayland"), Qt::CaseInsensitive)
                    == 0
            || !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    // DISPLAY names the XWayland server; without it X11 is no way out.
    const bool xwayland = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    return waylandSession && xwayland ? QByteArrayLiteral("xcb") : QByteArray();
}

void applyPlatformChoice()
{
    const QByteArray platform = choosePlatform(QProcessEnvironment::systemEnvironment());
    if (platform.isEmpty())
        return;
    qputenv(platformVariable, platform);
    s_applied = true;
}

void restorePlatformChoice()
{
    if (s_applied)
        qunsetenv(platformVariable);
    s_applied = false;
}
