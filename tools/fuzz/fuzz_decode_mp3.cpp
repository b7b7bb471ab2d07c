// decodeMp3 on any bytes. The first byte picks the output bound (0 to about 64 KiB; 0xff the
// default), so the cut at the bound is reached as often as the end of the input.

#include "audio/mp3decoder.h"
#include "fuzz_common.h"

#include <algorithm>
#include <iterator>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype bound = data[0] == 0xff ? defaultMaxPcmBytes : qsizetype(data[0]) * 257;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const PcmClip clip = decodeMp3(bytes, bound);
    FUZZ_CHECK(clip.samples.size() <= bound);
    if (clip.isEmpty()) {
        FUZZ_CHECK(clip.frameCount() == 0);
        return 0;
    }
    FUZZ_CHECK(clip.channels == 1 || clip.channels == 2);
    // MPEG 1, 2 and 2.5 rates only: the decoder must not invent one.
    static constexpr int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    FUZZ_CHECK(std::find(std::begin(rates), std::end(rates), clip.sampleRate) != std::end(rates));
    FUZZ_CHECK(clip.samples.size() % clip.bytesPerFrame() == 0);
    FUZZ_CHECK(clip.seconds() >= 0.1);

    // Same bytes, same sound: nothing carries over from one file to the next.
    const PcmClip again = decodeMp3(bytes, bound);
    FUZZ_CHECK(again.samples == clip.samples && again.sampleRate == clip.sampleRate);
    return 0;
}
