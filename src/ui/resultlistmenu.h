#pragma once

#include <QObject>

class MainWindow;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The result list's pop-up menu and its row commands: copy a row's report (cpp), remove the
// selected row (ycxxx), clear the list (cll), copy the portrait address (cppt). The menu also
// carries the application commands cx, cxxx and endd, which the window's shell handles.
class ResultListMenu : public QObject
{
    Q_OBJECT
public:
    explicit ResultListMenu(MainWindow *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void popUpForKeyboard();
    // The row the list reports as selected; null when there is none.
    QTreeWidgetItem *selectedRow() const;

    void onCppTriggered();
    void onYcxxxTriggered();
    void onCllTriggered();
    void onCpptTriggered();

    MainWindow *m_window;
    QTreeWidget *m_list;
    QWidget *m_viewport;
    QMenu *m_menu;
};
