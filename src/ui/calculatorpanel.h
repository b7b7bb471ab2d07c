#pragma once

#include <QObject>

class MainWindow;

// The two level calculators of the main window: points -> level (Text3, Command2) and
// level -> points (Text4, Command3). Each click answers in one message box and changes nothing.
class CalculatorPanel : public QObject
{
    Q_OBJECT
public:
    explicit CalculatorPanel(MainWindow *window);

private:
    void onCommand2Clicked();
    void onCommand3Clicked();

    MainWindow *m_window;
};
