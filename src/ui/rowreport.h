#pragma once

#include <QString>
#include <QStringList>

// The clipboard texts of the result list's copy commands.

struct RowReportInput
{
    QString number; // the row's text
    QStringList cells; // sub-items 1..8 in column order (nickname … total visits)
    QString sunshineCaption; // Label2
    QString rainCaption; // Label3
    QString loveCaption; // Label5
    QString nutritionCaption; // Label6
};

// The 16-line report joined by CR LF, without a final line break.
QString BuildRowReport(const RowReportInput &input);
// The address of the row's QZone portrait (the one the query downloads).
QString PortraitAddress(const QString &number);
