#pragma once

#include "cli/backoff.h"
#include "cli/lookupoptions.h"
#include "cli/lookupresult.h"
#include "cli/pace.h"
#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "fakeservices/testauthority.h"
#include "query/serviceoutcome.h"
#include "web/webclient.h"

#include <memory>
#include <optional>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// What the tests of mirelo-lookup share: tst_lookupformats (options and output formats),
// tst_lookupbatch (a batch of numbers against the services) and tst_lookupprogram (the whole
// program, in-process and as the real executable).

// The base of their test classes: fake services made afresh for each test, which close a
// request no route matches without an answer, and a web client through them that gives up
// after 5 s. A test class calls startServices() in init() and stopServices() in cleanup().
class LookupFixture : public QObject
{
    Q_OBJECT

protected:
    void startServices();
    void stopServices();
    // The results of a batch of `numbers` with `parallel` lanes, in the order they were given.
    QList<LookupResult> lookUp(const QStringList &numbers, int parallel = 4);
    // The services answer https too, vouched for by an authority that the client trusts. False
    // when the authority could not be made; its error() tells why.
    bool serveHttps();

    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<WebClient> m_web;
    std::unique_ptr<TestAuthority> m_authority; // made for the first signed-in row
};

// Friends only: both services answer, but with no counts in them.
void routeRestricted(FakeServices &services, const DemoAccount &account);
// The page a service shows while it is down.
FakeResponse maintenancePage();
// The read end of a pipe that holds `bytes` and then ends.
int pipeHolding(const QByteArray &bytes);
// The address at which `service` is asked about `qq`.
QString addressOf(Service service, const QString &qq);

// Longer than the interval between two starts with a session, even with its jitter and a timer
// that fires 5 % early.
constexpr int slowerThanInterval = Pace::sessionIntervalMs * 3 / 2;
// A back-off of a few hundred milliseconds instead of the services' minutes.
inline const BackOff shortBackOff {100, 150, 0, 3};
// `parallel` lanes, no interval, and `backOff` when told to slow down.
Pace paceOf(int parallel, const BackOff &backOff = shortBackOff);

// The session the signed-in fake services accept; nothing the program says may contain it.
inline const QByteArray sessionKey = "Pskey-SECRET-7f3c";
// A cookies file holding that session.
inline const QByteArray sessionCookies = ".qq.com\tTRUE\t/\tFALSE\t0\tuin\to0010001\n"
                                         ".qq.com\tTRUE\t/\tFALSE\t0\tp_skey\t"
        + sessionKey + '\n';
// The csv header as users' scripts read it, written out here rather than taken from the code.
inline const QString csvHeader = QStringLiteral(
        "qq,nickname,points,level,music,blogs,moods,today_visits,total_visits,restricted,"
        "sunshine,rain,love,nutrition,vine_level,status");

// Writes `text` to `path` (its folder made too) with `permissions`.
bool writeFile(const QString &path, const QByteArray &text, QFile::Permissions permissions);

// Every bidirectional control the program must keep out of what it writes, each written out
// here: the embeddings and overrides, the isolates, and the marks.
inline const QString bidiControls = QStringLiteral(
        "\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069\u200E\u200F\u061C");
// Whether `bytes` hold what a terminal may take as a command or what turns the text around it:
// a C0 control other than the line end, DEL, a C1 control, one of bidiControls, or bytes that
// are no UTF-8 at all.
bool carriesControl(const QByteArray &bytes);
// The records of an RFC 4180 text, each a list of fields; nothing when it is not well formed
// (a bare quote or line break, text after a closing quote, a record without its CRLF).
std::optional<QList<QStringList>> readCsv(const QString &text);
// The parsed options in one line: the action, whether there is a message, and every field
// that is set, so that a row compares the whole result.
QString described(const LookupOptions &options);
