#include "audio/mp3decoder.h"
#include "shell/chimeplayer.h"
#include "support/files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <QTemporaryDir>
#include <QTest>

namespace {

// The clip the splash writes as "zv.mp3": a 2.5 s stereo chime at 44.1 kHz.
QByteArray embeddedClip()
{
    return readFile(QStringLiteral(":/support/133"));
}

// MPEG-1 Layer III frames of silence, made by hand: a four-byte header, then side information
// and main data all zero, which decode to 1152 zero samples per channel.
QByteArray silentFrames(int count, int sampleRate, int channels, int kbps = 32, bool padded = false)
{
    const QList<int> rates {44100, 48000, 32000};
    const QList<int> bitrates {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    const int length = 144 * kbps * 1000 / sampleRate + (padded ? 1 : 0);
    QByteArray frame(length, '\0');
    frame[0] = char(0xff);
    frame[1] = char(0xfb); // MPEG-1, Layer III, no checksum
    frame[2]
            = char(bitrates.indexOf(kbps) << 4 | rates.indexOf(sampleRate) << 2 | (padded ? 2 : 0));
    frame[3] = char(channels == 1 ? 0xc0 : 0x00); // mono, or stereo
    return frame.repeated(count);
}

constexpr int samplesPerFrame = 1152;

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
    void streamsAtTheirSeams_data();
    void streamsAtTheirSeams();
    void cutAtEveryFrame();
    void chimeReadsItsFileUpToTheCap();
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
    // Cut by the bound to exactly the shortest clip, and to one sample less.
    const QByteArray frames = silentFrames(10, 48000, 2);
    QCOMPARE(decodeMp3(frames, qsizetype(4800) * 4).frameCount(), 4800);
    QVERIFY(decodeMp3(frames, qsizetype(4799) * 4).isEmpty());
}

void TestMp3Decoder::streamsAtTheirSeams_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("frames"); // of samples, each frame one sample per channel

    const int one = samplesPerFrame;
    // A tenth of a second is the shortest clip: three frames at 44.1 kHz fall short of it.
    QTest::newRow("three frames") << silentFrames(3, 44100, 2) << 0 << 0 << 0;
    QTest::newRow("four frames") << silentFrames(4, 44100, 2) << 44100 << 2 << 4 * one;
    // Samples of another rate or channel count would play at the wrong speed: cut, not joined.
    QTest::newRow("rate rises midway")
            << silentFrames(20, 44100, 2) + silentFrames(20, 48000, 2) << 44100 << 2 << 20 * one;
    QTest::newRow("rate falls midway")
            << silentFrames(20, 48000, 1) + silentFrames(20, 32000, 1) << 48000 << 1 << 20 * one;
    QTest::newRow("stereo turns mono")
            << silentFrames(20, 44100, 2) + silentFrames(20, 44100, 1) << 44100 << 2 << 20 * one;
    QTest::newRow("mono turns stereo")
            << silentFrames(20, 44100, 1) + silentFrames(20, 44100, 2) << 44100 << 1 << 20 * one;
    QTest::newRow("bit rate changes, format stays")
            << silentFrames(20, 44100, 2) + silentFrames(20, 44100, 2, 128) << 44100 << 2
            << 40 * one;
    // A minute of 48 kHz stereo is 2500 frames: the default bound, at both ends.
    QTest::newRow("just under a minute")
            << silentFrames(2499, 48000, 2) << 48000 << 2 << 2499 * one;
    QTest::newRow("a minute") << silentFrames(2500, 48000, 2) << 48000 << 2 << 2500 * one;
    QTest::newRow("over a minute") << silentFrames(2501, 48000, 2) << 48000 << 2 << 2500 * one;
}

void TestMp3Decoder::streamsAtTheirSeams()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, sampleRate);
    QFETCH(int, channels);
    QFETCH(int, frames);

    const PcmClip clip = decodeMp3(bytes);
    QCOMPARE(clip.sampleRate, sampleRate);
    QCOMPARE(clip.channels, channels);
    QCOMPARE(clip.frameCount(), frames);
    QCOMPARE(clip.samples.size(), frames * qsizetype(channels) * 2);
}

void TestMp3Decoder::cutAtEveryFrame()
{
    // Cut right after each frame, and halfway into the next: a frame counts only whole.
    const QByteArray frame = silentFrames(1, 44100, 2);
    for (int whole = 0; whole <= 12; ++whole) {
        const QByteArray stream = frame.repeated(whole);
        const int expected = whole >= 4 ? whole * samplesPerFrame : 0;
        for (const QByteArray &bytes : {stream, stream + frame.left(frame.size() / 2)}) {
            const PcmClip clip = decodeMp3(bytes);
            QVERIFY2(clip.frameCount() == expected,
                     qPrintable(QStringLiteral("%1 bytes: %2 frames, not %3")
                                        .arg(bytes.size())
                                        .arg(clip.frameCount())
                                        .arg(expected)));
        }
    }
}

void TestMp3Decoder::chimeReadsItsFileUpToTheCap()
{
    // 32 kHz mono at 320 kbit/s: frames of 1440 bytes, or 1441 with padding. 1888 plain and
    // 1024 padded ones end exactly at the cap.
    const QByteArray atCap
            = silentFrames(1888, 32000, 1, 320) + silentFrames(1024, 32000, 1, 320, true);
    QCOMPARE(atCap.size(), ChimePlayer::maxFileBytes);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zv.mp3"));
    for (const QByteArray &file : {atCap, atCap + silentFrames(1, 32000, 1, 320)}) {
        QVERIFY(writeFile(path, file));
        const PcmClip clip = ChimePlayer::readClip(path);
        QCOMPARE(clip.sampleRate, 32000);
        QCOMPARE(clip.frameCount(), 2912 * samplesPerFrame);
    }
}

QTEST_GUILESS_MAIN(TestMp3Decoder)
#include "tst_mp3decoder.moc"
