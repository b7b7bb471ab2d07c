#include "shell/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect client(QPoint(0, 0), window->size());
    client.moveCenter(screen->availableGeometry().center());
    window->move(client.topLeft());
}
