#include "support/querywindow.h"

#include "ui/mainwindow.h"
#include "ui/resultcolumns.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <QTest>

QueryWindow::QueryWindow(const QNetworkProxy &proxy, int deadlineMs,
                         std::shared_ptr<const Session> session)
    : m_web(std::make_unique<WebClient>())
{
    m_web->setProxy(proxy);
    m_web->setDeadlineMs(deadlineMs);
    m_window = std::make_unique<MainWindow>(
            AppServices {m_web.get(), &m_prompt, &m_desktop, m_dir.path(), std::move(session)});
    m_window->show();
}

QueryWindow::~QueryWindow() = default;

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
