#include "support/lookupfixture.h"

#include "cli/lookupbatch.h"
#include "query/addresses.h"

#include <algorithm>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTest>

using namespace DemoAnswers;

void LookupFixture::startServices()
{
    m_services = std::make_unique<FakeServices>();
    QVERIFY(m_services->listen());
    m_services->setFallback(FakeResponse::behaving(FakeResponse::Behaviour::CloseWithoutAnswer));
    m_web = std::make_unique<WebClient>();
    m_web->setProxy(m_services->proxy());
    m_web->setDeadlineMs(5000);
}

void LookupFixture::stopServices()
{
    m_web.reset();
    m_services.reset();
}

QList<LookupResult> LookupFixture::lookUp(const QStringList &numbers, int parallel)
{
    LookupBatch batch(m_web.get(), paceOf(parallel));
    QList<LookupResult> results;
    connect(&batch, &LookupBatch::resultReady, this,
            [&results](const LookupResult &r) { results.append(r); });
    QSignalSpy finished(&batch, &LookupBatch::finished);
    for (const QString &number : numbers)
        batch.add(number);
    batch.close();
    [&] { QVERIFY(finished.wait(15000)); }();
    return results;
}

bool LookupFixture::serveHttps()
{
    if (!m_authority) {
        m_authority = std::make_unique<TestAuthority>(DemoAnswers::serviceHosts());
    }
    m_services->setTlsIdentity(m_authority->identity(TestAuthority::Kind::Good));
    m_services->ignoreQueryItem(QStringLiteral("g_tk"));
    m_web->addCaCertificate(m_authority->certificate());
    return m_authority->isValid();
}

void routeRestricted(FakeServices &services, const DemoAccount &account)
{
    routeAccount(services, account);
    services.on(routeOf(Addresses::visitors(account.qq)),
                FakeResponse::text(R"(_Callback({"code":-4009,"data":{}});)", "utf-8"));
    services.on(routeOf(Addresses::moods(account.qq)),
                FakeResponse::text(R"(_Callback({"code":-10031,"usrinfo":{}});)", "utf-8"));
}

FakeResponse maintenancePage()
{
    return FakeResponse::text("<html>Service temporarily unavailable</html>");
}

int pipeHolding(const QByteArray &bytes)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    [[maybe_unused]] const ssize_t written = ::write(fds[1], bytes.constData(), bytes.size());
    ::close(fds[1]);
    return fds[0];
}

QString addressOf(Service service, const QString &qq)
{
    switch (service) {
    case Service::Visitors:
        return Addresses::visitors(qq);
    case Service::Portrait:
        return Addresses::portrait(qq);
    case Service::Moods:
        return Addresses::moods(qq);
    case Service::Blog:
        return Addresses::blog(qq);
    case Service::Music:
        return Addresses::music(qq);
    case Service::FlowerVine:
        break;
    }
    return Addresses::flowerVine(qq);
}

Pace paceOf(int parallel, const BackOff &backOff)
{
    Pace pace;
    pace.parallel = parallel;
    pace.backOff = backOff;
    return pace;
}

bool writeFile(const QString &path, const QByteArray &text, QFile::Permissions permissions)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
            && file.write(text) == text.size() && file.setPermissions(permissions);
}

bool carriesControl(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    constexpr char32_t space = 0x20, del = 0x7F, lastC1 = 0x9F;
    const QList<uint> bidi = bidiControls.toUcs4();
    const QList<uint> characters = text.toUcs4();
    return utf8.hasError() || std::any_of(characters.begin(), characters.end(), [&](char32_t c) {
               return (c < space && c != u'\n') || (c >= del && c <= lastC1) || bidi.contains(c);
           });
}

std::optional<QList<QStringList>> readCsv(const QString &text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool inQuotes = false, quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (inQuotes) {
            if (c != u'"')
                field += c;
            else if (next == u'"')
                field += text.at(++i);
            else
                inQuotes = false;
        } else if (c == u'"' && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
        } else if (c == u',' || (c == u'\r' && next == u'\n')) {
            record.append(std::exchange(field, {}));
            quoted = false;
            if (c == u'\r') {
                records.append(std::exchange(record, {}));
                ++i;
            }
        } else if (c == u'"' || c == u'\r' || c == u'\n' || quoted) {
            return std::nullopt;
        } else {
            field += c;
        }
    }
    if (inQuotes || quoted || !field.isEmpty() || !record.isEmpty())
        return std::nullopt;
    return records;
}

QString described(const LookupOptions &options)
{
    // In Action's order.
    const char *const actions[]
            = {"run", "help", "version", "usage error", "sign in", "sign out", "check session"};
    QString text = QLatin1String(actions[int(options.action)]);
    const auto add = [&text](const char *name, const QString &value) {
        if (!value.isEmpty())
            text += u' ' + QLatin1String(name) + u'=' + value;
    };
    const auto number = [](std::optional<int> n) { return n ? QString::number(*n) : QString(); };
    add("message", options.error.isEmpty() ? QString() : QStringLiteral("yes"));
    if (options.action != LookupOptions::Action::Run)
        return text;
    const char *const formatNames[] = {"table", "csv", "json"};
    add("format",
        options.format ? QLatin1String(formatNames[int(*options.format)]) : QLatin1String());
    add("parallel", number(options.parallel));
    add("interval", number(options.intervalMs));
    add("cookies", options.cookiesFile);
    add("browser", options.cookiesBrowser);
    add("ca", options.caCertificates.join(u'|'));
    add("numbers", options.numbers.join(u'|'));
    return text;
}
