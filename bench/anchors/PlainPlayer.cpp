// The anchor for playback's processor use: an mp3 decoded by libmpg123 and written to the default
// PulseAudio output through the simple API, as plainly as it gets.
//   quillon-plain-player FILE

#include <mpg123.h>
#include <pulse/simple.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    mpg123_init();
    int error = 0;
    mpg123_handle* decoder = mpg123_new(nullptr, &error);
    mpg123_param(decoder, MPG123_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT, 0);
    if (mpg123_open(decoder, argv[1]) != MPG123_OK) return 1;
    long rate = 0;
    int channels = 0, encoding = 0;
    mpg123_getformat(decoder, &rate, &channels, &encoding);
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, static_cast<std::uint32_t>(rate),
                                static_cast<std::uint8_t>(channels)};
    pa_simple* output = pa_simple_new(nullptr, "Plain player", PA_STREAM_PLAYBACK, nullptr, "Playback",
                                      &format, nullptr, nullptr, &error);
    if (output == nullptr) return 1;
    std::vector<unsigned char> block(4 * 4096);
    size_t got = 0;
    int result = MPG123_OK;
    while ((result = mpg123_read(decoder, block.data(), block.size(), &got)) == MPG123_OK ||
           result == MPG123_NEW_FORMAT) {
        if (pa_simple_write(output, block.data(), got, &error) < 0) break;
    }
    pa_simple_drain(output, &error);
    pa_simple_free(output);
    mpg123_close(decoder);
    mpg123_delete(decoder);
    return 0;
}
