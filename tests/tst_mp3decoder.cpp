#include "audio/mp3decoder.h"
#include "support/files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <QTest>

namespace {

// The clip the splash writes as "zv.mp3": a 2.5 s stereo chime at 44.1 kHz.
QByteArray embeddedClip()
{
    return readFile(QStringLiteral(":/support/133"));
}

int peakOf(const PcmClip &clip)
{
    int peak = 0;
    for (qsizetype i = 0; i + 1 < clip.samples.size(); i += 2) {
        qint16 sample;
        std::memcpy(&sample, clip.samples.constData() + i, sizeof sample);
        peak = std::max(peak, std::abs(int(sample)));
    }
    return peak;
}

} // namespace

class TestMp3Decoder : public QObject
{
    Q_OBJECT
private slots:
    void embeddedClipDecodesWhole();
    void brokenInputGivesNoSound_data();
    void brokenInputGivesNoSound();
    void cutShortClipGivesItsBeginning();
    void outputStaysWithinItsBound();
};

void TestMp3Decoder::embeddedClipDecodesWhole()
{
    const PcmClip clip = decodeMp3(embeddedClip());
    QCOMPARE(clip.sampleRate, 44100);
    QCOMPARE(clip.channels, 2);
    QVERIFY2(qAbs(clip.seconds() - 2.5) <= 2.5 * 0.05, qPrintable(QString::number(clip.seconds())));
    // Normalised to -3 dB: a silent decode would peak near zero.
    QVERIFY(peakOf(clip) > 16000);
}

void TestMp3Decoder::brokenInputGivesNoSound_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray clip = embeddedClip();
    QVERIFY(clip.size() > 10000);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("html page")
            << QByteArray("<html><body>404 Not Found</body></html>").repeated(50);
    QTest::newRow("zeros") << QByteArray(20000, '\0');
    QTest::newRow("sync bytes only") << QByteArray(20000, '\xff');
    QTest::newRow("first frames of the clip") << clip.left(1000);
    QByteArray noise(20000, Qt::Uninitialized);
    quint32 state = 12345;
    for (char &byte : noise)
        byte = char((state = state * 1103515245u + 12345u) >> 24);
    QTest::newRow("noise") << noise;
}

void TestMp3Decoder::brokenInputGivesNoSound()
{
    QFETCH(QByteArray, bytes);
    const PcmClip clip = decodeMp3(bytes);
    QVERIFY(clip.isEmpty());
    QCOMPARE(clip.frameCount(), 0);
}

void TestMp3Decoder::cutShortClipGivesItsBeginning()
{
    const QByteArray whole = embeddedClip();
    const PcmClip half = decodeMp3(whole.left(whole.size() / 2));
    QVERIFY(!half.isEmpty());
    QVERIFY(half.seconds() > 0.9 && half.seconds() < 1.6);
    // Whatever follows the clip is not played.
    const PcmClip trailed = decodeMp3(whole + QByteArray(5000, 'x'));
    QVERIFY(qAbs(trailed.seconds() - decodeMp3(whole).seconds()) < 0.05);
}

void TestMp3Decoder::outputStaysWithinItsBound()
{
    const PcmClip clip = decodeMp3(embeddedClip(), 40001);
    QVERIFY(!clip.isEmpty());
    QVERIFY(clip.samples.size() <= 40001);
    QCOMPARE(clip.samples.size() % clip.bytesPerFrame(), 0);
    QVERIFY(decodeMp3(embeddedClip(), 0).isEmpty());
}

QTEST_GUILESS_MAIN(TestMp3Decoder)
#include "tst_mp3decoder.moc"
