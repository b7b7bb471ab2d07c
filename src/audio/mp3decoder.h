#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Sound ready for an audio device: interleaved signed 16-bit samples in the machine's byte
// order. Empty when nothing could be decoded.
struct PcmClip
{
    int sampleRate = 0;
    int channels = 0;
    QByteArray samples;

    bool isEmpty() const { return samples.isEmpty(); }
    qsizetype bytesPerFrame() const { return qsizetype(channels) * 2; }
    qsizetype frameCount() const { return channels > 0 ? samples.size() / bytesPerFrame() : 0; }
    double seconds() const { return sampleRate > 0 ? double(frameCount()) / sampleRate : 0.0; }
};

// Enough for a minute of 48 kHz stereo; a longer clip plays only its first minute.
inline constexpr qsizetype defaultMaxPcmBytes = 60 * 48000 * 2 * 2;

// Decodes an MPEG audio file (MP3) held in memory into PCM of at most `maxPcmBytes`, cut at
// a whole frame. Garbage, an empty or cut-short file and a stream that changes its format
// midway give what was decoded before the trouble; under a tenth of a second counts as nothing.
PcmClip decodeMp3(QByteArrayView bytes, qsizetype maxPcmBytes = defaultMaxPcmBytes);
