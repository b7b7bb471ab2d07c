#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "query/addresses.h"
#include "query/queryrecord.h"
#include "support/servedwindow.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

using namespace DemoAnswers;

Q_DECLARE_METATYPE(FakeResponse)
Q_DECLARE_METATYPE(DemoAnswers::Endpoint)

namespace {

QByteArray garbage(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(20261207);
    for (char &c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims 30000 × 30000 pixels, with about 10 MB of image data.
QByteArray hugeDeclaredPng()
{
    QByteArray header = "IHDR";
    char dims[8];
    qToBigEndian<quint32>(30000, dims);
    qToBigEndian<quint32>(30000, dims + 4);
    header.append(dims, 8);
    header.append("\x08\x06\x00\x00\x00", 5);
    QByteArray png = "\x89PNG\r\n\x1a\n";
    char word[4];
    qToBigEndian<quint32>(13, word);
    png.append(word, 4);
    png += header;
    qToBigEndian<quint32>(crc32(header), word);
    png.append(word, 4);
    // An image data chunk follows; the picture's size is known before any of it is read.
    const int dataSize = 10 * 1000 * 1000;
    qToBigEndian<quint32>(dataSize, word);
    png.append(word, 4);
    png += "IDAT";
    return png + QByteArray(dataSize + 4, '\0');
}

} // namespace

// Services that misbehave: the query still ends within its deadline, the affected values stay
// empty as for a failed answer, and every other value is right.
class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void misbehavingService_data();
    void misbehavingService();
    void garbageEverywhere();
    void unknownCharsetStillDecodesNickname();
    void hugeDeclaredImageIsRefused();

private:
    Ui::MainWindow *ui() const { return m_served.app->ui(); }
    QString cell(const char *key) const { return m_served.app->cell(0, key); }
    QString addressOf(Endpoint endpoint) const
    {
        return serviceAnswer(m_account, endpoint).address;
    }
    bool runQuery(const QString &qq);

    static constexpr int deadlineMs = 1500;
    ServedWindow m_served;
    DemoAccount m_account;
};

void TestHostile::init()
{
    QVERIFY(m_served.start(deadlineMs));
    routeAccount(*m_served.services, m_account);
}

void TestHostile::cleanup()
{
    m_served.stop();
}

bool TestHostile::runQuery(const QString &qq)
{
    m_served.app->startQuery(qq);
    // Requests run side by side, so the whole query is bounded by about one deadline.
    return m_served.app->waitIdle(3 * deadlineMs + 2000);
}

void TestHostile::misbehavingService_data()
{
    QTest::addColumn<Endpoint>("endpoint");
    QTest::addColumn<FakeResponse>("answer");
    QTest::addColumn<QStringList>("emptyKeys");

    using B = FakeResponse::Behaviour;
    const QStringList restricted = {QStringLiteral("restricted")};
    // A byte every 200 ms: the whole answer would come long after the deadline.
    FakeResponse drip = FakeResponse::behaving(B::Drip, visitors(m_account));
    drip.dripIntervalMs = 200;
    QTest::newRow("visitors drip past the deadline") << Endpoint::Visitors << drip << restricted;
    QTest::newRow("visitors never answer")
            << Endpoint::Visitors << FakeResponse::behaving(B::NeverAnswer) << restricted;
    QTest::newRow("moods never end")
            << Endpoint::Moods << FakeResponse::behaving(B::Endless) << restricted;
    QTest::newRow("moods close without answer")
            << Endpoint::Moods << FakeResponse::behaving(B::CloseWithoutAnswer) << restricted;
    QTest::newRow("portrait reset mid-body")
            << Endpoint::Portrait << FakeResponse::behaving(B::ResetMidBody, portraitGbk(m_account))
            << QStringList {QStringLiteral("portrait")};
    QTest::newRow("blog redirect loop")
            << Endpoint::Blog << FakeResponse::redirect(Addresses::blog(m_account.qq).toLatin1())
            << QStringList {QStringLiteral("blog")};
    QTest::newRow("music redirect to file")
            << Endpoint::Music << FakeResponse::redirect("file:///etc/passwd")
            << QStringList {QStringLiteral("qqm2")};
    QTest::newRow("music redirect to ftp")
            << Endpoint::Music << FakeResponse::redirect("ftp://127.0.0.1/music")
            << QStringList {QStringLiteral("qqm2")};
    QTest::newRow("flower-vine accepts and never answers")
            << Endpoint::FlowerVine << FakeResponse::behaving(B::NeverAnswer)
            << QStringList {QStringLiteral("vine")};
}

void TestHostile::misbehavingService()
{
    QFETCH(Endpoint, endpoint);
    QFETCH(FakeResponse, answer);
    QFETCH(QStringList, emptyKeys);

    m_served.services->on(routeOf(addressOf(endpoint)), answer);
    QVERIFY(runQuery(m_account.qq));
    QCOMPARE(m_served.app->window()->statusText(), QStringLiteral("QQ号码[10001]查询成功..."));
    QVERIFY(ui()->Command1->isEnabled());

    const bool restricted = emptyKeys.contains(QStringLiteral("restricted"));
    const bool noPortrait = emptyKeys.contains(QStringLiteral("portrait"));
    QCOMPARE(cell(ColumnKey::jr),
             restricted ? QStringLiteral("空间有权限") : QStringLiteral("12人"));
    QCOMPARE(cell(ColumnKey::ls),
             restricted ? QStringLiteral("空间有权限") : QStringLiteral("34567人"));
    QCOMPARE(cell(ColumnKey::ss),
             restricted ? QStringLiteral("空间有权限") : QStringLiteral("37条"));
    QCOMPARE(cell(ColumnKey::jf), noPortrait ? QStringLiteral("0分") : QStringLiteral("7840分"));
    QCOMPARE(cell(ColumnKey::dj), noPortrait ? QStringLiteral("0级") : QStringLiteral("35级"));
    QCOMPARE(cell(ColumnKey::nam), noPortrait ? QString() : QStringLiteral("小明"));
    QCOMPARE(cell(ColumnKey::blog),
             emptyKeys.contains(QStringLiteral("blog")) ? QString() : QStringLiteral("3篇"));
    QCOMPARE(cell(ColumnKey::qqm2),
             emptyKeys.contains(QStringLiteral("qqm2")) ? QString() : QStringLiteral("20首"));
    QCOMPARE(ui()->Label2->text(),
             emptyKeys.contains(QStringLiteral("vine")) ? QStringLiteral("花藤阳光值:未查询")
                                                        : QStringLiteral("花藤阳光值:120"));
    // Nothing of the query is left hanging on the wire.
    QTRY_COMPARE(m_served.services->openConnections(), 0);
}

void TestHostile::garbageEverywhere()
{
    const QByteArray noise = garbage(64 * 1024);
    for (const Endpoint endpoint : {Endpoint::Visitors, Endpoint::Portrait, Endpoint::Moods,
                                    Endpoint::Blog, Endpoint::Music, Endpoint::FlowerVine}) {
        m_served.services->on(routeOf(addressOf(endpoint)),
                              FakeResponse::bytes(noise, "application/octet-stream"));
    }
    QVERIFY(runQuery(m_account.qq));
    QCOMPARE(m_served.app->window()->statusText(), QStringLiteral("QQ号码[10001]查询成功..."));
    QCOMPARE(cell(ColumnKey::jf), QStringLiteral("0分"));
    QCOMPARE(cell(ColumnKey::jr), QStringLiteral("空间有权限"));
    // Whatever the cuts found, the counts are whole numbers with their units.
    QVERIFY(cell(ColumnKey::blog).endsWith(u'篇'));
    QVERIFY(cell(ColumnKey::qqm2).endsWith(u'首'));
}

void TestHostile::unknownCharsetStillDecodesNickname()
{
    FakeResponse r = FakeResponse::text(portraitGbk(m_account), "x-no-such-charset");
    m_served.services->on(routeOf(Addresses::portrait(m_account.qq)), r);
    FakeResponse invalid = FakeResponse::text(moods(m_account), "\"utf-8");
    m_served.services->on(routeOf(Addresses::moods(m_account.qq)), invalid);
    QVERIFY(runQuery(m_account.qq));
    QCOMPARE(cell(ColumnKey::nam), QStringLiteral("小明"));
    QCOMPARE(cell(ColumnKey::ss), QStringLiteral("37条"));
}

void TestHostile::hugeDeclaredImageIsRefused()
{
    m_served.services->on(routeOf(Addresses::qzonePortrait(m_account.qq)),
                          FakeResponse::bytes(hugeDeclaredPng(), "image/png"));
    ui()->Check1->setChecked(true);
    const QImage defaultPicture = ui()->aicAlphaImage1->pixmap().toImage();
    QVERIFY(runQuery(m_account.qq));
    QCOMPARE(ui()->aicAlphaImage1->pixmap().toImage(), defaultPicture);
    QCOMPARE(ui()->aicAlphaImage2->pixmap().toImage().pixelColor(50, 50), QColor(Qt::darkRed));
    QCOMPARE(cell(ColumnKey::jf), QStringLiteral("7840分"));
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
