#pragma once

#include "ui/desktop.h"

#include <QStringList>

// A desktop that only records what it was asked to do: by kind, and all of it in one ordered
// log ("open <address>", "start <path>", "end").
class RecordingDesktop : public Desktop
{
public:
    void openAddress(const QString &address) override
    {
        opened.append(address);
        log.append(QStringLiteral("open ") + address);
    }
    void startProgram(const QString &path) override
    {
        started.append(path);
        log.append(QStringLiteral("start ") + path);
    }
    void endProcess() override
    {
        ++endRequests;
        log.append(QStringLiteral("end"));
    }

    QStringList opened;
    QStringList started;
    int endRequests = 0;
    QStringList log;
};
