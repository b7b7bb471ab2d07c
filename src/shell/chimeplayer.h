#pragma once

#include "audio/mp3decoder.h"

#include <QObject>

class QAudioSink;

// Plays a short MP3 clip once through the audio server, without a media framework: the file
// is decoded up front and its samples are handed to a QAudioSink. Anything in the way (no
// file, a broken file, no server, no device) leaves it silent without a word.
class ChimePlayer : public QObject
{
    Q_OBJECT
public:
    // A start-up clip is tens of kilobytes; a file larger than this is read only this far.
    static constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

    explicit ChimePlayer(QObject *parent = nullptr);
    ~ChimePlayer() override;

    // The clip in the file at `path` as play() takes it: the file's first maxFileBytes,
    // decoded. Empty when the file cannot be read or holds no sound.
    static PcmClip readClip(const QString &path);

    // Starts playing the file at `path` once at `volume` (0 to 1, linear) and returns at
    // once; false when there is nothing to play or nowhere to play it.
    bool play(const QString &path, qreal volume);
    bool isPlaying() const { return m_sink != nullptr; }
    qreal volume() const { return m_volume; }
    // The sink while the clip plays; it has no parent, so this is the way to reach it.
    const QAudioSink *sink() const { return m_sink; }

signals:
    // The clip has played out, or could not be played; sent once per successful play().
    void finished();

private:
    void onSinkStateChanged();
    void release();
    void discardSink();

    qreal m_volume = 1.0;
    QAudioSink *m_sink = nullptr;
};
