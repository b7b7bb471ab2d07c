#pragma once

#include <QNetworkProxy>

// An HTTP proxy on a local port nobody listens on: every transfer through it is refused at once,
// and nothing sent through it leaves the machine.
QNetworkProxy refusedProxy();
