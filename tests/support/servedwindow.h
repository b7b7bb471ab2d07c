#pragma once

#include "fakeservices/fakeservices.h"
#include "support/querywindow.h"

#include <memory>

class TestAuthority;

// Fake services on 127.0.0.1 and a query window whose web client goes through them: what the
// tests of the window and its queries make in init() and destroy in cleanup().
struct ServedWindow
{
    // What the services answer a request that no route matches.
    enum class Unrouted {
        NotFound, // FakeServices' own 404 page
        EmptyPage, // 200 with an empty page
    };

    ServedWindow() = default;
    ServedWindow(const ServedWindow &) = delete;
    ServedWindow &operator=(const ServedWindow &) = delete;
    ~ServedWindow() { stop(); }

    // Fresh services listening, then the window (with Open::Later, only its web client, prompt,
    // desktop and folder) giving up on a request after `deadlineMs`. With `trusted`, the web
    // client also trusts the https of that authority. False, and no window, when the services
    // could not listen.
    bool start(int deadlineMs = 5000, QueryWindow::Open open = QueryWindow::Open::Now,
               Unrouted unrouted = Unrouted::NotFound, const TestAuthority *trusted = nullptr);
    // The window first, then the services.
    void stop();

    std::unique_ptr<FakeServices> services;
    std::unique_ptr<QueryWindow> app;
};
