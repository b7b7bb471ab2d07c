#pragma once

#include <QIcon>
#include <QWidget>

class QTimer;

// Gives `window` a rounded shape: its rectangle with the corners cut by ellipses of
// `cornerWidth` x `cornerHeight` pixels.
void MakeRoundWindow(QWidget *window, int cornerWidth, int cornerHeight);

// Form3: the start-up splash. It writes the support files, fades in, waits for a click, fades
// out and then hands over to the main window.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    // Each fade is eighteen ticks of this length, 15 alpha steps apart.
    static constexpr int tickMs = 50;

    explicit SplashWindow(const QString &programDir, QWidget *parent = nullptr);
    ~SplashWindow() override;

    // One fade-in step; the timer Timer1 calls it.
    void onTimer1Timeout();
    // One fade-out step; the timer Timer2 calls it, and the last one hands over.
    void onTimer2Timeout();
    // A click anywhere on the window.
    void onFormClick();

signals:
    // The fade-out has ended: show the main window now. The splash closes right after.
    void handOver();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setAlpha(int alpha);

    QIcon m_background;
    QTimer *m_timer1;
    QTimer *m_timer2;
    quint8 m_fadeInAlpha = 0;
    quint8 m_fadeOutStep = 0;
    Qt::MouseButton m_pressed = Qt::NoButton;
    bool m_handedOver = false;
};
