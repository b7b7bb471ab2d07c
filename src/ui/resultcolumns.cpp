#include "ui/resultcolumns.h"

#include "query/queryrecord.h"

#include <iterator>

#include <QHeaderView>
#include <QTreeWidget>

namespace ResultColumns {
namespace {
// How each cell's column is laid out, in the order of resultCells.
struct Layout
{
    int width;
    Qt::Alignment alignment;
};

constexpr Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
const Layout layouts[] = {
        {73, Qt::AlignLeft | Qt::AlignVCenter},
        {100, centred},
        {60, centred},
        {60, centred},
        {60, centred},
        {73, centred},
        {73, centred},
        {73, centred},
        {73, centred},
};
static_assert(std::size(layouts) == std::size(resultCells));
constexpr int keyRole = Qt::UserRole;
} // namespace

void apply(QTreeWidget *list)
{
    const int count = int(std::size(resultCells));
    list->setColumnCount(count);
    QTreeWidgetItem *header = list->headerItem();
    for (int i = 0; i < count; ++i) {
        header->setText(i, QString::fromUtf16(resultCells[i].caption));
        header->setData(i, keyRole, QString::fromLatin1(resultCells[i].key));
        header->setTextAlignment(i, layouts[i].alignment);
        list->setColumnWidth(i, layouts[i].width);
    }
    list->header()->setStretchLastSection(false);
}

int indexOf(const QTreeWidget *list, const QString &key)
{
    const QTreeWidgetItem *header = list->headerItem();
    for (int i = 0; i < list->columnCount(); ++i) {
        if (header->data(i, keyRole).toString() == key)
            return i;
    }
    return -1;
}

QTreeWidgetItem *makeRow(const QTreeWidget *list, const QString &number)
{
    auto *row = new QTreeWidgetItem;
    const QTreeWidgetItem *header = list->headerItem();
    for (int i = 0; i < list->columnCount(); ++i)
        row->setTextAlignment(i, header->textAlignment(i));
    row->setText(0, number);
    return row;
}

} // namespace ResultColumns
