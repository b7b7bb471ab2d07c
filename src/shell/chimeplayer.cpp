#include "shell/chimeplayer.h"

#include "audio/mp3decoder.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>

namespace {
// Time the server may still hold samples after the sink has taken the last of them.
constexpr int drainAllowanceMs = 1000;
} // namespace

ChimePlayer::ChimePlayer(QObject *parent) : QObject(parent) { }

ChimePlayer::~ChimePlayer() = default;

bool ChimePlayer::play(const QString &path, qreal volume)
{
    if (m_sink)
        return false; // one clip at a time
    m_volume = volume;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    PcmClip clip = decodeMp3(file.read(maxFileBytes));
    file.close();
    if (clip.isEmpty())
        return false;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false; // no audio server, or no device on it

    QAudioFormat format;
    format.setSampleRate(clip.sampleRate);
    format.setChannelCount(clip.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return false;

    const int lengthMs = int(clip.seconds() * 1000);
    m_samples = std::move(clip.samples);
    m_source = new QBuffer(&m_samples, this);
    m_source->open(QIODevice::ReadOnly);
    m_sink = new QAudioSink(device, format, this);
    m_sink->setVolume(volume);
    connect(m_sink, &QAudioSink::stateChanged, this, &ChimePlayer::onSinkStateChanged);
    m_sink->start(m_source);
    if (m_sink->error() != QAudio::NoError) {
        // The server went away since the device was listed.
        delete m_sink;
        m_sink = nullptr;
        delete m_source;
        m_source = nullptr;
        m_samples = QByteArray();
        return false;
    }
    // Stopping a sink as soon as it has taken the last samples would cut off what the server
    // still holds, so it is let go only once the whole clip has had time to be heard.
    QTimer::singleShot(lengthMs + drainAllowanceMs, this, &ChimePlayer::release);
    return true;
}

void ChimePlayer::onSinkStateChanged()
{
    // A lost server or device ends the clip early; an idle sink is simply waiting for release.
    if (m_sink && m_sink->state() == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
        QTimer::singleShot(0, this, &ChimePlayer::release);
}

void ChimePlayer::release()
{
    if (!m_sink)
        return;
    // The sink is deleted later: this may run from inside one of its own signals.
    m_sink->disconnect(this);
    m_sink->stop();
    m_sink->deleteLater();
    m_sink = nullptr;
    m_source->deleteLater();
    m_source = nullptr;
    m_samples = QByteArray();
    emit finished();
}
