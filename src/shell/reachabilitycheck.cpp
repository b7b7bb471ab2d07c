#include "shell/reachabilitycheck.h"

#include "query/addresses.h"
#include "ui/prompt.h"
#include "web/webclient.h"

#include <QTimer>
#include <QWidget>

namespace {
const QString offlineText = QStringLiteral("抱歉!经检测您未联网!请联网后再使用本软件!");
}

ReachabilityCheck::ReachabilityCheck(QWidget *window, WebClient *web, Prompt *prompt,
                                     std::function<void()> endProcess)
    : QObject(window)
    , m_window(window)
    , m_web(web)
    , m_prompt(prompt)
    , m_endProcess(std::move(endProcess))
    , m_timer2(new QTimer(window))
{
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(delayMs);
    connect(m_timer2, &QTimer::timeout, this, &ReachabilityCheck::onTimer2Timeout);
    m_timer2->start();
}

ReachabilityCheck::~ReachabilityCheck() = default;

void ReachabilityCheck::onTimer2Timeout()
{
    if (m_probe)
        return; // the last check is still fetching
    m_probe = m_web->startOpenUrl(Addresses::reachabilityProbe());
    if (m_probe->isFinished()) {
        onProbeFinished();
        return;
    }
    connect(m_probe.get(), &Transfer::finished, this, &ReachabilityCheck::onProbeFinished);
}

void ReachabilityCheck::onProbeFinished()
{
    const bool reached = !m_probe->result().text.isEmpty();
    m_probe.reset();
    // One check per run, whatever it found.
    m_timer2->stop();
    if (reached)
        return;
    m_prompt->warn(m_window, offlineText);
    m_endProcess();
}
