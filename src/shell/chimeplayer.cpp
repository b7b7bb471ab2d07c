#include "shell/chimeplayer.h"

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

ChimePlayer::~ChimePlayer()
{
    if (m_sink)
        discardSink();
}

PcmClip ChimePlayer::readClip(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeMp3(file.read(maxFileBytes));
}

bool ChimePlayer::play(const QString &path, qreal volume)
{
    if (m_sink)
        return false; // one clip at a time
    m_volume = volume;
    const PcmClip clip = readClip(path);
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
    // No parent: Qt 6.4 gives the sink's backend object the same parent as the sink, and
    // either one closing inside another object's destructor is unsafe (see discardSink).
    m_sink = new QAudioSink(device, format);
    m_sink->setVolume(volume);
    // The samples go with the sink, which may outlive this player (see discardSink).
    auto *source = new QBuffer(m_sink);
    source->setData(clip.samples);
    source->open(QIODevice::ReadOnly);
    connect(m_sink, &QAudioSink::stateChanged, this, &ChimePlayer::onSinkStateChanged);
    m_sink->start(source);
    if (m_sink->error() != QAudio::NoError) {
        // The server went away since the device was listed.
        discardSink();
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
    discardSink();
    emit finished();
}

void ChimePlayer::discardSink()
{
    // Qt 6.4 runs a nested event loop while it closes a sink, so deleting one inside another
    // object's destructor (the window's, at close) delivers events to a half-destroyed window.
    // It is left to the event loop instead.
    m_sink->disconnect(this);
    m_sink->deleteLater();
    m_sink = nullptr;
}
