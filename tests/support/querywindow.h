#pragma once

#include "support/recordingdesktop.h"
#include "support/scriptedprompt.h"

#include <memory>

#include <QNetworkProxy>
#include <QString>
#include <QTemporaryDir>

class MainWindow;
class Session;
class WebClient;

namespace Ui {
class MainWindow;
}

// A main window wired to fakes for a test: its web client goes through `proxy` (FakeServices,
// the offline server) with the given deadline, its program folder is a fresh temporary folder,
// and its message boxes and desktop requests go to a ScriptedPrompt and a RecordingDesktop.
// Its queries are signed in when it is given a session.
// The window is shown once made; waiting for it, if wanted, is up to the test. The server
// behind the proxy is the test's own.
class QueryWindow
{
public:
    QueryWindow(const QNetworkProxy &proxy, int deadlineMs,
                std::shared_ptr<const Session> session = {});
    ~QueryWindow();
    QueryWindow(const QueryWindow &) = delete;
    QueryWindow &operator=(const QueryWindow &) = delete;

    // Null once destroyWindow() ran.
    MainWindow *window() const { return m_window.get(); }
    Ui::MainWindow *ui() const;
    WebClient &web() const { return *m_web; }
    ScriptedPrompt &prompt() { return m_prompt; }
    RecordingDesktop &desktop() { return m_desktop; }
    // A file in the program folder.
    QString programFile(const QString &name) const { return m_dir.filePath(name); }

    // The text in `row` of the result list's column `key`; "<none>" when either is missing.
    QString cell(int row, const char *key) const;
    // Types `qq` into the number box and clicks the query button.
    void startQuery(const QString &qq);
    // Whether the running query (if any) ended within `ms`.
    bool waitIdle(int ms = 10000);
    // Destroys the main window alone; the web client, the prompt, the desktop and the folder
    // stay until this object goes.
    void destroyWindow() { m_window.reset(); }

private:
    // Destroyed in reverse: the window first, then the web client, the folder last.
    QTemporaryDir m_dir;
    ScriptedPrompt m_prompt;
    RecordingDesktop m_desktop;
    std::unique_ptr<WebClient> m_web;
    std::unique_ptr<MainWindow> m_window;
};
