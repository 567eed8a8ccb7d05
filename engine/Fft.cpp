#include "Fft.h"

#include <fftw3.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

namespace engine {

namespace {
// FFTW's planner is not thread-safe; plans are made and used under this lock.
std::mutex& plannerMutex() {
    static std::mutex mutex;
    return mutex;
}
}  // namespace

void magnitudeSpectrum(const float* samples, std::size_t size, float* magnitudes) {
    std::lock_guard<std::mutex> guard(plannerMutex());
    const int n = static_cast<int>(size);
    float* input = fftwf_alloc_real(size);
    fftwf_complex* output = fftwf_alloc_complex(size / 2 + 1);
    if (input == nullptr || output == nullptr) {
        fftwf_free(input);
        fftwf_free(output);
        for (std::size_t i = 0; i < size / 2; ++i) magnitudes[i] = 0;
        return;
    }
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, input, output, FFTW_ESTIMATE);
    const double pi = 3.14159265358979323846;
    for (std::size_t i = 0; i < size; ++i) {
        const double window =
            0.5 - 0.5 * std::cos(2 * pi * static_cast<double>(i) / static_cast<double>(size - 1));
        input[i] = static_cast<float>(samples[i] * window);
    }
    fftwf_execute(plan);
    // A Hann window halves the amplitude; a real sine of amplitude A shows A * size / 2 in its bin.
    const double scale = 4.0 / static_cast<double>(size);
    for (std::size_t i = 0; i < size / 2; ++i) {
        magnitudes[i] = static_cast<float>(std::hypot(output[i][0], output[i][1]) * scale);
    }
    fftwf_destroy_plan(plan);
    fftwf_free(input);
    fftwf_free(output);
}

}  // namespace engine
