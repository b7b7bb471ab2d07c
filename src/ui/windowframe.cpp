#include "ui/windowframe.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {
void moveFrameToCentre(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // While the window manager is still building the frame, Qt may report one that does not
    // even hold the client area; the client area is the better guess then.
    const QRect frame = window->frameGeometry();
    const QSize outer = frame.contains(window->geometry()) ? frame.size() : window->size();
    // A window's move() places the corner of its frame.
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
}

// Waits for the window's first exposure: by then the window manager has put its frame around
// the window (it does so before mapping it), so the outer size is known.
class CentreWhenFramed : public QObject
{
public:
    explicit CentreWhenFramed(QWidget *window) : QObject(window), m_window(window)
    {
        if (QWindow *handle = window->windowHandle())
            handle->installEventFilter(this);
        else
            window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            m_window->removeEventFilter(this);
            if (QWindow *handle = m_window->windowHandle())
                handle->installEventFilter(this);
        } else if (watched != m_window && event->type() == QEvent::Expose
                   && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            moveFrameToCentre(m_window);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *m_window;
};
} // namespace

void centreOnScreen(QWidget *window)
{
    moveFrameToCentre(window);
    const QWindow *handle = window->windowHandle();
    if (!handle || !handle->isExposed())
        new CentreWhenFramed(window);
}

void clearWindowIcon(QWidget *window)
{
    constexpr int iconSide = 16;
    QPixmap blank(iconSide, iconSide);
    blank.fill(Qt::transparent);
    window->setWindowIcon(QIcon(blank));
}
