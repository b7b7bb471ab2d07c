#include "audio/mp3decoder.h"

#include <algorithm>
#include <memory>
#include <mpg123.h>

namespace {

struct HandleDeleter
{
    void operator()(mpg123_handle *handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// Input goes in by pieces so the library never holds a second copy of a large file.
constexpr qsizetype feedChunkBytes = qsizetype(16) * 1024;

// Random bytes now and then hold two or three frame headers in a row; what they decode to is
// a click of noise, and no real clip is this short.
constexpr double shortestClipSeconds = 0.1;

Handle openFeed()
{
    int error = MPG123_OK;
    Handle handle(mpg123_new(nullptr, &error));
    if (!handle)
        return {};
    mpg123_handle *h = handle.get();
    // A broken file is no reason to write to the terminal.
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // 16-bit samples, which every device takes, at the file's own rate and channel count.
    mpg123_format_none(h);
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(h) != MPG123_OK)
        return {};
    return handle;
}

} // namespace

PcmClip decodeMp3(QByteArrayView bytes, qsizetype maxPcmBytes)
{
    PcmClip clip;
    Handle handle = openFeed();
    if (!handle || maxPcmBytes <= 0)
        return clip;
    mpg123_handle *h = handle.get();

    qsizetype fed = 0;
    bool hasFormat = false;
    unsigned char buffer[feedChunkBytes];
    while (clip.samples.size() < maxPcmBytes) {
        size_t done = 0;
        const int result = mpg123_read(h, buffer, sizeof buffer, &done);
        if (hasFormat && done > 0) {
            const qsizetype room = maxPcmBytes - clip.samples.size();
            clip.samples.append(reinterpret_cast<const char *>(buffer),
                                std::min(qsizetype(done), room));
        }
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK)
                break;
            // Samples of another rate or channel count cannot join the ones already decoded.
            if (hasFormat && (rate != clip.sampleRate || channels != clip.channels))
                break;
            if (encoding != MPG123_ENC_SIGNED_16 || (channels != 1 && channels != 2))
                break;
            clip.sampleRate = int(rate);
            clip.channels = channels;
            hasFormat = true;
        } else if (result == MPG123_NEED_MORE) {
            if (fed >= bytes.size())
                break; // the end of the file
            const qsizetype piece = std::min(feedChunkBytes, bytes.size() - fed);
            if (mpg123_feed(h, reinterpret_cast<const unsigned char *>(bytes.data() + fed),
                            size_t(piece))
                != MPG123_OK)
                break;
            fed += piece;
        } else if (result != MPG123_OK) {
            break; // the end of the stream, or a fault the decoder cannot step over
        }
    }

    // The device takes whole frames only.
    if (clip.channels > 0)
        clip.samples.truncate(clip.samples.size() - clip.samples.size() % clip.bytesPerFrame());
    if (clip.samples.isEmpty() || clip.seconds() < shortestClipSeconds)
        clip = PcmClip();
    return clip;
}
