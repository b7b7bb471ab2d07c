#pragma once

#include "query/queryview.h"
#include "ui/appservices.h"

#include <memory>

#include <QMainWindow>

struct QueryRecord;
class CalculatorPanel;
class PortraitCommand;
class QLabel;
class QueryRun;
class QTreeWidget;
class ResultListMenu;
class SessionStatus;

namespace Ui {
class MainWindow;
}

// Form1: the query window. It runs queries; the tools around the result list, the portrait
// window and the window's life are attached to it by their own classes. The question asked
// before the window closes lives in MainWindowLifecycle (src/shell), which filters its close
// events.
class MainWindow : public QMainWindow, private QueryView
{
    Q_OBJECT
public:
    explicit MainWindow(const AppServices &services, QWidget *parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow *form() const { return m_ui.get(); }
    const AppServices &services() const { return m_services; }

    // The number of the last query that reached its completion; empty before the first.
    QString lastQueriedQq() const { return m_lastQueriedQq; }
    // The record of the running or last query.
    const QueryRecord &queryRecord() const;
    bool isQuerying() const { return m_querying; }

    QString statusText() const;
    void setStatusText(const QString &text);
    // Signed in or out while the window runs: the next query asks with `session`.
    void setSession(std::shared_ptr<const Session> session);
    SessionStatus *sessionStatus() const { return m_sessionStatus; }

signals:
    void queryStarted();
    void queryFinished();

private:
    void onCommand1Clicked();
    void lockQueryControls(bool locked);

    // QueryView
    void writeCell(const QString &key, const QString &text) override;
    bool portraitsWanted() const override;
    void showPortrait(Portrait which, const QString &filePath) override;
    void showFlowerVine(const FlowerVineValues &values) override;
    void completeQuery() override;

    std::unique_ptr<Ui::MainWindow> m_ui;
    AppServices m_services;
    QLabel *m_statusPanel1;
    QLabel *m_statusPanel2;
    // The tools around the list and the portraits; children of this window.
    CalculatorPanel *m_calculatorPanel;
    ResultListMenu *m_resultListMenu;
    PortraitCommand *m_portraitCommand;
    SessionStatus *m_sessionStatus;
    std::shared_ptr<QueryRun> m_run;
    class QTreeWidgetItem *m_row = nullptr;
    QString m_lastQueriedQq;
    bool m_querying = false;
};
