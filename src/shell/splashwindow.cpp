#include "shell/splashwindow.h"

#include "shell/supportfiles.h"
#include "ui/windowframe.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTimer>

namespace {
constexpr QSize clientSize(599, 395);
constexpr QSize pictureSize(600, 395);
constexpr int opaque = 255;
constexpr int alphaStep = 15;
constexpr int lastStepBelowOpaque = 240;
constexpr int cornerEllipse = 50;
} // namespace

void MakeRoundWindow(QWidget *window, int cornerWidth, int cornerHeight)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), window->size()), cornerWidth / 2.0,
                        cornerHeight / 2.0);
    window->setMask(QRegion(path.toFillPolygon().toPolygon()));
}

SplashWindow::SplashWindow(const QString &programDir, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_background(QStringLiteral(":/splash/splash.jpg"))
    , m_timer1(new QTimer(this))
    , m_timer2(new QTimer(this))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Zv系列软件"));
    setFixedSize(clientSize);
    setAttribute(Qt::WA_DeleteOnClose);
    // Nothing shows until the first fade-in tick gives the window an opacity.
    setAlpha(0);

    SupportFiles::writeAll(programDir);

    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(tickMs);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(tickMs);
    connect(m_timer1, &QTimer::timeout, this, &SplashWindow::onTimer1Timeout);
    connect(m_timer2, &QTimer::timeout, this, &SplashWindow::onTimer2Timeout);
    m_timer1->start();
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::setAlpha(int alpha)
{
    setWindowOpacity(alpha / double(opaque));
    // On X11 the new opacity only waits in Qt's output buffer until other traffic flushes it;
    // a repaint is such traffic, so every fade step reaches the screen at its tick.
    update();
}

void SplashWindow::onTimer1Timeout()
{
    setAlpha(m_fadeInAlpha);
    if (m_fadeInAlpha <= lastStepBelowOpaque) {
        m_fadeInAlpha += alphaStep;
    } else {
        m_timer1->stop();
        m_fadeInAlpha = 0;
    }
}

void SplashWindow::onTimer2Timeout()
{
    setAlpha(opaque - m_fadeOutStep);
    if (m_fadeOutStep <= lastStepBelowOpaque) {
        m_fadeOutStep += alphaStep;
        return;
    }
    m_timer2->stop();
    if (m_handedOver)
        return;
    m_handedOver = true;
    emit handOver();
    close();
}

void SplashWindow::onFormClick()
{
    // Once the fade-out runs, clicks change nothing.
    if (m_timer2->isActive() || m_handedOver)
        return;
    m_timer1->stop();
    m_timer2->start();
}

void SplashWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // QIcon picks the "@2x" picture on dense screens. The picture is one pixel wider than the
    // window and fills all of it: scaled to fit, it would leave the bottom row unpainted.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_background.pixmap(pictureSize, devicePixelRatio()));
}

void SplashWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(this);
    MakeRoundWindow(this, cornerEllipse, cornerEllipse);
}

void SplashWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        MakeRoundWindow(this, cornerEllipse, cornerEllipse);
}

void SplashWindow::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button();
}

// A click is a press and a release of the same button, released over the window.
void SplashWindow::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed != Qt::NoButton && event->button() == m_pressed
            && rect().contains(event->position().toPoint());
    m_pressed = Qt::NoButton;
    if (click)
        onFormClick();
}
