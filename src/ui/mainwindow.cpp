#include "ui/mainwindow.h"

#include "query/extract.h"
#include "query/qqnumber.h"
#include "query/querypipeline.h"
#include "ui/calculatorpanel.h"
#include "ui/portraitpicture.h"
#include "ui/portraitwindow.h"
#include "ui/prompt.h"
#include "ui/resultcolumns.h"
#include "ui/resultlistmenu.h"
#include "ui/sessionstatus.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QStatusBar>
#include <QTreeWidget>

namespace {
const QString idleCaption = QStringLiteral("开始查询");
const QString busyCaption = QStringLiteral("查询中..");

QPixmap defaultPortrait(QueryView::Portrait which, qreal devicePixelRatio)
{
    // Through QIcon, which takes the "@2x" picture on high-density screens.
    const QIcon picture(which == QueryView::Portrait::QZone
                                ? QStringLiteral(":/images/portrait-qzone.png")
                                : QStringLiteral(":/images/portrait-qq.png"));
    return picture.pixmap(PortraitPicture::boxSize, devicePixelRatio);
}
} // namespace

MainWindow::MainWindow(const AppServices &services, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_services(services)
{
    m_ui->setupUi(this);
    setFixedSize(size());

    ResultColumns::apply(m_ui->ListView1);
    m_ui->aicAlphaImage1->setPixmap(defaultPortrait(Portrait::QZone, devicePixelRatio()));
    m_ui->aicAlphaImage2->setPixmap(defaultPortrait(Portrait::QQ, devicePixelRatio()));

    // Two panels; only the second is ever written.
    m_statusPanel1 = new QLabel(this);
    m_statusPanel1->setObjectName(QStringLiteral("s1Panel1"));
    m_statusPanel2 = new QLabel(QStringLiteral("请输入QQ进行查询..."), this);
    m_statusPanel2->setObjectName(QStringLiteral("s1Panel2"));
    m_ui->s1->addWidget(m_statusPanel1);
    m_ui->s1->addWidget(m_statusPanel2, 1);

    connect(m_ui->Command1, &QPushButton::clicked, this, &MainWindow::onCommand1Clicked);
    // A main window has no default button of its own: Enter in the number box starts a query.
    connect(m_ui->Text1, &QLineEdit::returnPressed, this, [this] {
        if (m_ui->Command1->isEnabled())
            m_ui->Command1->click();
    });

    m_calculatorPanel = new CalculatorPanel(this);
    m_resultListMenu = new ResultListMenu(this);
    m_portraitCommand = new PortraitCommand(this);
    m_sessionStatus = new SessionStatus(this);
}

void MainWindow::setSession(std::shared_ptr<const Session> session)
{
    m_services.session = std::move(session);
}

MainWindow::~MainWindow()
{
    if (m_run)
        m_run->cancel();
}

const QueryRecord &MainWindow::queryRecord() const
{
    static const QueryRecord empty;
    return m_run ? m_run->record() : empty;
}

QString MainWindow::statusText() const
{
    return m_statusPanel2->text();
}

void MainWindow::setStatusText(const QString &text)
{
    m_statusPanel2->setText(text);
}

void MainWindow::onCommand1Clicked()
{
    const QString typed = m_ui->Text1->text();
    if (const std::optional<QqNumber::Problem> problem = QqNumber::check(typed)) {
        if (problem->warnFirst)
            m_services.prompt->warn(this, problem->message);
        setStatusText(problem->message);
        return;
    }

    lockQueryControls(true);
    m_ui->Command1->setText(busyCaption);
    setStatusText(QStringLiteral("QQ号码[") + typed + QStringLiteral("]查询中..."));

    m_row = ResultColumns::makeRow(m_ui->ListView1, typed);
    m_ui->ListView1->insertTopLevelItem(0, m_row);
    m_ui->ListView1->setFocus();
    m_ui->ListView1->setCurrentItem(m_row);

    if (m_run)
        m_run->cancel(); // only a finished run can be here; this just drops its transfers
    m_run = std::make_shared<QueryRun>(m_services.web, static_cast<QueryView *>(this),
                                       m_services.programDir, typed, m_services.session);
    m_querying = true;
    emit queryStarted();
    // Fire and forget: the run keeps itself alive and stops touching us once cancelled.
    QueryRun::execute(m_run);
}

void MainWindow::lockQueryControls(bool locked)
{
    m_ui->Text1->setEnabled(!locked);
    if (locked)
        m_ui->Command1->setEnabled(false);
    for (QAction *action : {m_ui->cpp, m_ui->cll, m_ui->cppt, m_ui->ycxxx})
        action->setEnabled(!locked);
    if (!locked)
        m_ui->Command1->setEnabled(true);
}

void MainWindow::writeCell(const QString &key, const QString &text)
{
    QTreeWidget *list = m_ui->ListView1;
    const int column = ResultColumns::indexOf(list, key);
    if (column < 0 || list->indexOfTopLevelItem(m_row) < 0)
        return;
    m_row->setText(column, text);
}

bool MainWindow::portraitsWanted() const
{
    return m_ui->Check1->isChecked();
}

void MainWindow::showPortrait(Portrait which, const QString &filePath)
{
    QLabel *target = which == Portrait::QZone ? m_ui->aicAlphaImage1 : m_ui->aicAlphaImage2;
    const qreal ratio = target->devicePixelRatio();
    QPixmap picture = PortraitPicture::load(filePath);
    if (picture.isNull()) {
        picture = defaultPortrait(which, ratio);
    } else if (picture.size() != PortraitPicture::boxSize) {
        // Kept as sharp as the screen shows it.
        picture = picture.scaled(PortraitPicture::boxSize * ratio, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
        picture.setDevicePixelRatio(ratio);
    }
    target->setPixmap(picture);
}

void MainWindow::showFlowerVine(const FlowerVineValues &values)
{
    m_ui->Label2->setText(QStringLiteral("花藤阳光值:") + values.sunshine);
    m_ui->Label5->setText(QStringLiteral("花藤爱心值:") + values.love);
    m_ui->Label3->setText(QStringLiteral("花藤雨露值:") + values.rain);
    m_ui->Label6->setText(QStringLiteral("花藤营养值:") + values.nutrition);
    m_ui->Frame4->setTitle(QStringLiteral("QQ空间花藤信息:(") + values.level
                           + QStringLiteral(")级"));
}

void MainWindow::completeQuery()
{
    lockQueryControls(false);
    m_ui->Command1->setText(idleCaption);
    m_lastQueriedQq = m_run->record().qq;
    setStatusText(QStringLiteral("QQ号码[") + m_ui->Text1->text() + QStringLiteral("]查询成功..."));
    m_ui->Text1->clear();
    m_ui->Text1->setFocus();
    m_querying = false;
    m_sessionStatus->onQueryFinished();
    emit queryFinished();
}
