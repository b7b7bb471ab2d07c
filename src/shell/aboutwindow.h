#pragma once

#include <memory>

#include <QDialog>

class Desktop;

namespace Ui {
class AboutWindow;
}

// Form4: what the program does, its version and how to reach its maker.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AboutWindow(Desktop *desktop, QWidget *parent = nullptr);
    ~AboutWindow() override;

    static QString versionText();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onCommand1Clicked();
    void onLabel5Click();
    void onLabel6Click();
    void onLabel8Click();

    std::unique_ptr<Ui::AboutWindow> m_ui;
    Desktop *m_desktop;
};
