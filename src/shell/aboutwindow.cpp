#include "shell/aboutwindow.h"

#include "config/deployment.h"
#include "query/addresses.h"
#include "shell/makercontact.h"
#include "ui/desktop.h"
#include "ui/sitelinks.h"
#include "ui/windowframe.h"
#include "ui_aboutwindow.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>
#include <QShowEvent>

AboutWindow::AboutWindow(Desktop *desktop, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                      | Qt::WindowCloseButtonHint)
    , m_ui(std::make_unique<Ui::AboutWindow>())
    , m_desktop(desktop)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    clearWindowIcon(this);

    // QIcon picks the "@2x" logo on dense screens.
    m_ui->aicAlphaImage1->setPixmap(
            QIcon(QStringLiteral(":/splash/logo.png"))
                    .pixmap(m_ui->aicAlphaImage1->size(), devicePixelRatio()));
    m_ui->Label10->setText(versionText());
    m_ui->Label4->setText(QStringLiteral("YY：") + MakerContact::yy());
    m_ui->Label5->setText(QStringLiteral("QQ：") + MakerContact::qq());
    m_ui->Label6->setText(QStringLiteral("E-mail：") + MakerContact::email());
    m_ui->Label8->setText(SiteLinks::fanSite());

    for (QLabel *link : {m_ui->Label5, m_ui->Label6, m_ui->Label8}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    connect(m_ui->Command1, &QPushButton::clicked, this, &AboutWindow::onCommand1Clicked);
}

AboutWindow::~AboutWindow() = default;

QString AboutWindow::versionText()
{
    return QStringLiteral("版本号：") + QString::number(Deployment::versionMajor) + u'.'
            + QString::number(Deployment::versionMinor) + u'.'
            + QString::number(Deployment::versionRevision);
}

void AboutWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(this);
}

bool AboutWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click on a link label: the left button released over it.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *label = qobject_cast<QWidget *>(watched);
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (label && mouse->button() == Qt::LeftButton
            && label->rect().contains(mouse->position().toPoint())) {
            if (label == m_ui->Label5)
                onLabel5Click();
            else if (label == m_ui->Label6)
                onLabel6Click();
            else if (label == m_ui->Label8)
                onLabel8Click();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::onCommand1Clicked()
{
    close();
}

void AboutWindow::onLabel5Click()
{
    m_desktop->openAddress(QStringLiteral("tencent://message/?uin=") + MakerContact::qq());
}

void AboutWindow::onLabel6Click()
{
    m_desktop->openAddress(QStringLiteral("mailto:") + MakerContact::email());
}

void AboutWindow::onLabel8Click()
{
    m_desktop->openAddress(SiteLinks::fanSite());
}
