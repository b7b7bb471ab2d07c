#include "support/querywindow.h"

#include "support/refusedproxy.h"
#include "ui/mainwindow.h"
#include "ui/resultcolumns.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <QTest>

QueryWindow::QueryWindow(const QNetworkProxy &proxy, int deadlineMs, Open open,
                         std::shared_ptr<const Session> session)
    : m_web(std::make_unique<WebClient>()), m_session(std::move(session))
{
    QTest::qVerify(m_dir.isValid(), "m_dir.isValid()", "no temporary program folder", __FILE__,
                   __LINE__);
    m_web->setProxy(proxy);
    m_web->setDeadlineMs(deadlineMs);
    if (open == Open::Now)
        openWindow()->show();
}

QueryWindow::QueryWindow(Open open)
    : QueryWindow(refusedProxy(), WebClient::defaultDeadlineMs, open)
{ }

QueryWindow::~QueryWindow() = default;

MainWindow *QueryWindow::openWindow(const WindowOpener &opener)
{
    m_window.reset();
    // The session's file in the test's own folder: never the user's.
    const AppServices services {m_web.get(), &m_prompt,
                                &m_desktop,  m_dir.path(),
                                m_session,   m_dir.filePath(QStringLiteral("cookies.txt")),
                                QString()};
    m_window = opener ? opener(services) : std::make_unique<MainWindow>(services);
    return m_window.get();
}

Ui::MainWindow *QueryWindow::ui() const
{
    return m_window->form();
}

QString QueryWindow::cell(int row, const char *key) const
{
    const QTreeWidgetItem *item = ui()->ListView1->topLevelItem(row);
    const int column = ResultColumns::indexOf(ui()->ListView1, QLatin1String(key));
    return item && column >= 0 ? item->text(column) : QStringLiteral("<none>");
}

void QueryWindow::startQuery(const QString &qq)
{
    ui()->Text1->setText(qq);
    QTest::mouseClick(ui()->Command1, Qt::LeftButton);
}

bool QueryWindow::waitIdle(int ms)
{
    return QTest::qWaitFor([this] { return !m_window->isQuerying(); }, ms);
}
