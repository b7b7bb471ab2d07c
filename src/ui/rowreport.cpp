#include "ui/rowreport.h"

#include "query/addresses.h"
#include "query/extract.h"
#include "ui/sitelinks.h"

QString BuildRowReport(const RowReportInput &input)
{
    // A row whose lookups never filled every column still gives all 16 lines.
    const auto cell = [&input](qsizetype index) { return input.cells.value(index); };

    const QStringList lines {
            QStringLiteral("QQ号码:") + input.number,
            QStringLiteral("QQ昵称:") + trimSpaces(cell(0)),
            QStringLiteral("QQ空间积分:") + cell(1),
            QStringLiteral("QQ空间等级:") + cell(2),
            QStringLiteral("QQ空间音乐:") + cell(3),
            QStringLiteral("QQ空间日志:") + cell(4),
            QStringLiteral("QQ空间说说:") + cell(5),
            QStringLiteral("QQ空间今日访问:") + cell(6),
            QStringLiteral("QQ空间历史访问:") + cell(7),
            QStringLiteral("QQ空间"),
            QStringLiteral("QQ空间"),
            QStringLiteral("QQ空间") + input.sunshineCaption,
            QStringLiteral("QQ空间") + input.rainCaption,
            QStringLiteral("QQ空间") + input.loveCaption,
            QStringLiteral("QQ空间") + input.nutritionCaption,
            QStringLiteral("信息来源于：Zv系列软件のMirelo | 官方论坛:") + SiteLinks::forumHome(),
    };
    return lines.join(QStringLiteral("\r\n"));
}

QString PortraitAddress(const QString &number)
{
    return Addresses::qzonePortrait(number);
}
