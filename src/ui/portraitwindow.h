#pragma once

#include "ui/appservices.h"

#include <memory>

#include <QObject>
#include <QWidget>

class MainWindow;

namespace Ui {
class PortraitWindow;
}

// Form2: shows the 640-pixel QQ portrait of one number at its own size, centred on the screen
// and modal. It stays hidden while the portrait downloads; with no portrait it tells the user
// and closes unseen. It deletes itself when closed.
class PortraitWindow : public QWidget
{
    Q_OBJECT
public:
    PortraitWindow(const AppServices &services, QString qq, QWidget *owner);
    ~PortraitWindow() override;

    // xz: fetch the portrait into "head2.bmp" and show it, or report that there is none.
    void xz();

private:
    void onDownloaded(bool downloaded);
    void showCentred();

    std::unique_ptr<Ui::PortraitWindow> m_ui;
    AppServices m_services;
    QString m_qq;
    QString m_file;
};

// The main window's "HD" button (Command4): opens a new PortraitWindow for the number of the
// latest query and stays disabled until that window is gone.
class PortraitCommand : public QObject
{
    Q_OBJECT
public:
    explicit PortraitCommand(MainWindow *window);

private:
    void onCommand4Clicked();

    MainWindow *m_window;
};
