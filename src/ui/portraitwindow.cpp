#include "ui/portraitwindow.h"

#include "query/addresses.h"
#include "query/queryrecord.h"
#include "ui/mainwindow.h"
#include "ui/portraitpicture.h"
#include "ui/prompt.h"
#include "ui/windowframe.h"
#include "ui_mainwindow.h"
#include "ui_portraitwindow.h"
#include "web/webclient.h"

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QPointer>

PortraitWindow::PortraitWindow(const AppServices &services, QString qq, QWidget *owner)
    : QWidget(owner, Qt::Window)
    , m_ui(std::make_unique<Ui::PortraitWindow>())
    , m_services(services)
    , m_qq(std::move(qq))
    , m_file(QDir(services.programDir).filePath(QStringLiteral("head2.bmp")))
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
}

PortraitWindow::~PortraitWindow() = default;

void PortraitWindow::xz()
{
    clearWindowIcon(this);
    QFile::remove(m_file); // a missing file is no error
    // Nothing runs for a window that is gone by the time the download ends.
    // Asked as the queries ask the QQ portrait: over https when signed in.
    const QString address = Addresses::qqPortraitHd(m_qq, m_services.session != nullptr);
    QCoro::connect(m_services.web->URLDownloadToFile(address, m_file), this,
                   [this](bool downloaded) { onDownloaded(downloaded); });
}

void PortraitWindow::onDownloaded(bool downloaded)
{
    // A failed download must not show a file some other run left behind.
    const QPixmap picture = downloaded ? PortraitPicture::load(m_file) : QPixmap();
    if (picture.isNull()) {
        QPointer<PortraitWindow> self = this;
        m_services.prompt->inform(parentWidget(), QStringLiteral("此Q没有高清大图头像"));
        if (self)
            close();
        return;
    }

    m_ui->Picture1->setPixmap(picture);
    m_ui->Picture1->resize(picture.size());
    resize(m_ui->Picture1->size());
    m_ui->Label1->hide();
    showCentred();
}

void PortraitWindow::showCentred()
{
    centreOnScreen(this);
    show();
}

PortraitCommand::PortraitCommand(MainWindow *window) : QObject(window), m_window(window)
{
    connect(window->form()->Command4, &QPushButton::clicked, this,
            &PortraitCommand::onCommand4Clicked);
}

void PortraitCommand::onCommand4Clicked()
{
    if (m_window->lastQueriedQq().isEmpty()) {
        m_window->services().prompt->inform(m_window, QStringLiteral("请先查询在查看QQ高清头像!"));
        return;
    }

    QPushButton *button = m_window->form()->Command4;
    button->setEnabled(false);
    // The number of the query started last: the one running now, or the one completed.
    auto *portrait = new PortraitWindow(m_window->services(), m_window->queryRecord().qq, m_window);
    connect(portrait, &QObject::destroyed, button, [button] { button->setEnabled(true); });
    portrait->xz();
}
