#include "ui/resultcolumns.h"

#include "query/queryrecord.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace ResultColumns {
namespace {
struct Column
{
    const char *key;
    const char16_t *header;
    int width;
    Qt::Alignment alignment;
};

constexpr Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
const Column columns[] = {
        {ColumnKey::num, u"QQ号码", 73, Qt::AlignLeft | Qt::AlignVCenter},
        {ColumnKey::nam, u"昵称", 100, centred},
        {ColumnKey::jf, u"积分", 60, centred},
        {ColumnKey::dj, u"等级", 60, centred},
        {ColumnKey::qqm2, u"音乐", 60, centred},
        {ColumnKey::blog, u"日志", 73, centred},
        {ColumnKey::ss, u"说说", 73, centred},
        {ColumnKey::jr, u"今日访问", 73, centred},
        {ColumnKey::ls, u"历史访问", 73, centred},
};
constexpr int keyRole = Qt::UserRole;
} // namespace

void apply(QTreeWidget *list)
{
    const int count = int(std::size(columns));
    list->setColumnCount(count);
    QTreeWidgetItem *header = list->headerItem();
    for (int i = 0; i < count; ++i) {
        header->setText(i, QString::fromUtf16(columns[i].header));
        header->setData(i, keyRole, QString::fromLatin1(columns[i].key));
        header->setTextAlignment(i, columns[i].alignment);
        list->setColumnWidth(i, columns[i].width);
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
