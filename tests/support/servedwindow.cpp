#include "support/servedwindow.h"

#include "fakeservices/testauthority.h"
#include "ui/mainwindow.h"
#include "web/webclient.h"

bool ServedWindow::start(int deadlineMs, QueryWindow::Open open, Unrouted unrouted,
                         const TestAuthority *trusted)
{
    services = std::make_unique<FakeServices>();
    if (!services->listen())
        return false;
    if (unrouted == Unrouted::EmptyPage)
        services->setFallback(FakeResponse::text({}));
    app = std::make_unique<QueryWindow>(services->proxy(), deadlineMs, open);
    if (trusted)
        app->web().addCaCertificate(trusted->certificate());
    return true;
}

void ServedWindow::stop()
{
    app.reset();
    services.reset();
}
