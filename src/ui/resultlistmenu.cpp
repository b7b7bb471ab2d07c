#include "ui/resultlistmenu.h"

#include "query/queryrecord.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui/resultcolumns.h"
#include "ui/rowreport.h"
#include "ui_mainwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

namespace {
const QString nothingToCopy = QStringLiteral("请先查询再进行复制操作!");

void putOnClipboard(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

bool isMenuKey(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Menu
            || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
}
} // namespace

ResultListMenu::ResultListMenu(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_list(window->form()->ListView1)
    , m_viewport(m_list->viewport())
    , m_menu(new QMenu(QStringLiteral("菜单"), window))
{
    Ui::MainWindow *form = window->form();
    m_menu->setObjectName(QStringLiteral("menu"));

    const struct
    {
        QAction *action;
        const char *separatorAfter;
    } items[] = {
            {form->cpp, "x1"}, {form->ycxxx, "x5"},  {form->cll, "x2"},     {form->cppt, "x13"},
            {form->cx, "x3"},  {form->cxxx, "x111"}, {form->endd, nullptr},
    };
    for (const auto &item : items) {
        m_menu->addAction(item.action);
        if (item.separatorAfter)
            m_menu->addSeparator()->setObjectName(QLatin1String(item.separatorAfter));
    }

    connect(form->cpp, &QAction::triggered, this, &ResultListMenu::onCppTriggered);
    connect(form->ycxxx, &QAction::triggered, this, &ResultListMenu::onYcxxxTriggered);
    connect(form->cll, &QAction::triggered, this, &ResultListMenu::onCllTriggered);
    connect(form->cppt, &QAction::triggered, this, &ResultListMenu::onCpptTriggered);

    // Mouse presses arrive at the viewport, keys at the list itself.
    m_viewport->installEventFilter(this);
    m_list->installEventFilter(this);
}

bool ResultListMenu::eventFilter(QObject *watched, QEvent *event)
{
    // Compares kept pointers only: the filter also sees events of the teardown, when the form
    // is gone already.
    if (event->type() == QEvent::MouseButtonPress && watched == m_viewport) {
        const auto *press = static_cast<QMouseEvent *>(event);
        if (press->button() != Qt::RightButton)
            return false;
        m_menu->popup(press->globalPosition().toPoint());
        // On a row the list still sees the press and selects that row, as the platform's own
        // lists do; on empty space the selection stays, so the menu acts on the selected row.
        return m_list->itemAt(press->position().toPoint()) == nullptr;
    }
    if (event->type() == QEvent::KeyPress && watched == m_list
        && isMenuKey(static_cast<QKeyEvent *>(event))) {
        popUpForKeyboard();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ResultListMenu::popUpForKeyboard()
{
    // Under the row in hand when it is in view, else at the list's corner.
    QTreeWidgetItem *row = selectedRow();
    if (!row)
        row = m_list->currentItem();
    const QRect rowRect = row ? m_list->visualItemRect(row) : QRect();
    const QPoint at = m_viewport->rect().intersects(rowRect) ? rowRect.bottomLeft() : QPoint(0, 0);
    m_menu->popup(m_viewport->mapToGlobal(at));
}

QTreeWidgetItem *ResultListMenu::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void ResultListMenu::onCppTriggered()
{
    const QTreeWidgetItem *row = selectedRow();
    if (!row || row->text(0).isEmpty()) {
        m_window->services().prompt->warn(m_window, nothingToCopy);
        return;
    }

    Ui::MainWindow *form = m_window->form();
    RowReportInput input;
    input.number = row->text(0);
    // Every cell after the number, in the list's order, each found by its column's key.
    for (const ResultCell &cell : resultCells) {
        if (QLatin1String(cell.key) != QLatin1String(ColumnKey::num))
            input.cells.append(row->text(ResultColumns::indexOf(m_list, QLatin1String(cell.key))));
    }
    // The panel shows the last lookup that got an answer, whichever row that was.
    input.sunshineCaption = form->Label2->text();
    input.rainCaption = form->Label3->text();
    input.loveCaption = form->Label5->text();
    input.nutritionCaption = form->Label6->text();
    putOnClipboard(BuildRowReport(input));

    const QString done
            = QStringLiteral("QQ:[") + input.number + QStringLiteral("]信息已复制到剪贴板!");
    m_window->services().prompt->inform(m_window, done);
    m_window->setStatusText(done);
}

void ResultListMenu::onYcxxxTriggered()
{
    QTreeWidgetItem *row = selectedRow();
    if (!row || row->text(0).isEmpty()) {
        m_window->services().prompt->warn(m_window, QStringLiteral("请选择您要删除列表项!"));
        return;
    }
    const QString number = row->text(0);
    delete m_list->takeTopLevelItem(m_list->indexOfTopLevelItem(row));
    m_window->setStatusText(QStringLiteral("QQ:[") + number + QStringLiteral("]信息已被移除..."));
}

void ResultListMenu::onCllTriggered()
{
    const Prompt::Answer answer = m_window->services().prompt->askYesNo(
            m_window, QStringLiteral("是否确定清空查询列表?"));
    if (answer == Prompt::Answer::Yes)
        m_list->clear();
}

void ResultListMenu::onCpptTriggered()
{
    const QTreeWidgetItem *row = selectedRow();
    if (!row || row->text(0).isEmpty()) {
        m_window->services().prompt->warn(m_window, nothingToCopy);
        return;
    }
    const QString number = row->text(0);
    putOnClipboard(PortraitAddress(number));
    m_window->services().prompt->inform(m_window,
                                        QStringLiteral("QQ:[") + number
                                                + QStringLiteral("]空间头像地址已复制到剪贴板!"));
}
