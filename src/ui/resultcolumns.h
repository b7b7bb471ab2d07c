#pragma once

#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

// The result list's nine columns, in the order of resultCells, with their widths and alignments.
namespace ResultColumns {

// Sets up the list's header from the column table (keys are kept on the header items).
void apply(QTreeWidget *list);
// The position of the column with `key`, looked up in the header; -1 when there is none.
int indexOf(const QTreeWidget *list, const QString &key);
// A new row with every cell aligned as its column.
QTreeWidgetItem *makeRow(const QTreeWidget *list, const QString &number);

} // namespace ResultColumns
