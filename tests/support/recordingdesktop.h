#pragma once

#include "ui/desktop.h"

#include <QStringList>

// A desktop that only records what it was asked to do.
class RecordingDesktop : public Desktop
{
public:
    void openAddress(const QString &address) override { opened.append(address); }
    void startProgram(const QString &path) override { started.append(path); }
    void endProcess() override { ++endRequests; }

    QStringList opened;
    QStringList started;
    int endRequests = 0;
};
