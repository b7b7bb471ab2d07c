#pragma once

#include <QString>

// What the program asks of the desktop around it: open addresses, start programs, end itself.
// Tests substitute a recorder.
class Desktop
{
public:
    virtual ~Desktop() = default;
    // Opens a web (or mailto:, tencent:) address with the program registered for it.
    virtual void openAddress(const QString &address) = 0;
    // Starts a program by path, not waiting for it.
    virtual void startProgram(const QString &path) = 0;
    // Ends this process without any further close prompt.
    virtual void endProcess() = 0;
};

class SystemDesktop : public Desktop
{
public:
    void openAddress(const QString &address) override;
    void startProgram(const QString &path) override;
    void endProcess() override;
};
