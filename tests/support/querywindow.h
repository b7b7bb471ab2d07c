#pragma once

#include "support/recordingdesktop.h"
#include "support/scriptedprompt.h"

#include <functional>
#include <memory>

#include <QNetworkProxy>
#include <QString>
#include <QTemporaryDir>

class MainWindow;
class Session;
class WebClient;
struct AppServices;

namespace Ui {
class MainWindow;
}

// How a test's main window is made from the fakes. The program's own start (sound, skin, forum
// visit, reachability check) lives in the shell, above this library, so the tests of it pass
// the shell's opener; without one the window is the bare form with its queries.
using WindowOpener = std::function<std::unique_ptr<MainWindow>(const AppServices &)>;

// A main window wired to fakes for a test: its web client goes through `proxy` (FakeServices,
// the offline server) with the given deadline, its program folder is a fresh temporary folder,
// and its message boxes and desktop requests go to a ScriptedPrompt and a RecordingDesktop.
// Its queries are signed in when it is given a session. The server behind the proxy is the
// test's own.
class QueryWindow
{
public:
    enum class Open {
        Now, // the bare window, made and shown with the fixture; waiting for it is up to the test
        Later, // no window until openWindow(), so the folder or the web client can be set first
    };

    QueryWindow(const QNetworkProxy &proxy, int deadlineMs, Open open = Open::Now,
                std::shared_ptr<const Session> session = {});
    // For tests that send nothing: a stray request is refused at once, on this machine.
    explicit QueryWindow(Open open = Open::Now);
    ~QueryWindow();
    QueryWindow(const QueryWindow &) = delete;
    QueryWindow &operator=(const QueryWindow &) = delete;

    // Makes the main window through `opener`, the one there is going first; without an opener,
    // the bare window, not shown.
    MainWindow *openWindow(const WindowOpener &opener = {});

    // Null before openWindow() and once destroyWindow() ran.
    MainWindow *window() const { return m_window.get(); }
    Ui::MainWindow *ui() const;
    WebClient &web() const { return *m_web; }
    ScriptedPrompt &prompt() { return m_prompt; }
    RecordingDesktop &desktop() { return m_desktop; }
    QString programDir() const { return m_dir.path(); }
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
    std::shared_ptr<const Session> m_session;
    std::unique_ptr<MainWindow> m_window;
};
