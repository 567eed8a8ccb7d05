#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <vector>

#include "audio/PlayerEffects.h"

using namespace playereffects;

namespace {

// A block of stereo pairs with varied values.
std::vector<float> block(int pairs, int seed) {
    std::vector<float> samples(2 * static_cast<std::size_t>(pairs));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(std::sin(0.37 * static_cast<double>(i) + seed) * 0.8);
    }
    return samples;
}

DWORD bytes(const std::vector<float>& samples) {
    return static_cast<DWORD>(samples.size() * sizeof(float));
}

// Reference computations, written from the effects' descriptions independently of the routines.
void rotateReference(std::vector<float>& s, float& angle) {
    for (std::size_t p = 0; p < s.size() / 2; ++p) {
        volatile float sine = std::abs(std::sin(angle));
        volatile float cosine = std::abs(std::cos(angle));
        s[2 * p] *= sine;
        s[2 * p + 1] *= cosine;
        volatile float sum = angle + 0.00003f;
        volatile float quotient = sum / 3.1415927f;
        volatile float whole = std::trunc(quotient);
        volatile float product = whole * 3.1415927f;
        angle = sum - product;
    }
}

void echoReference(std::vector<float>& s) {
    std::vector<float> left(1200, 0.0f), right(1200, 0.0f);
    for (std::size_t p = 0; p < s.size() / 2; ++p) {
        const std::size_t i = p % 1200;
        volatile float l = s[2 * p] + right[i] / 2;
        volatile float r = s[2 * p + 1] + left[i] / 2;
        s[2 * p] = l;
        s[2 * p + 1] = r;
        left[i] = l;
        right[i] = r;
    }
}

void flangerReference(std::vector<float>& s) {
    std::vector<float> hl(350, 0.0f), hr(350, 0.0f);
    float sweep = 175.0f, step = 0.002f;
    for (std::size_t p = 0; p < s.size() / 2; ++p) {
        const int w = static_cast<int>(p % 350);
        volatile float position = static_cast<float>(w) + sweep;
        const int p1 = static_cast<int>(position) % 350;
        const int p2 = (p1 + 1) % 350;
        volatile float f = sweep - static_cast<float>(static_cast<int>(sweep));
        volatile float oneMinus = 1 - f;
        volatile float l = oneMinus * hl[p1];
        l = l + f * hl[p2];
        l = l + s[2 * p];
        volatile float r = oneMinus * hr[p1];
        r = r + f * hr[p2];
        r = r + s[2 * p + 1];
        hl[w] = s[2 * p];
        hr[w] = s[2 * p + 1];
        s[2 * p] = l;
        s[2 * p + 1] = r;
        sweep = sweep + step;
        if (sweep < 0 || sweep > 350) step = -step;
    }
}

void expectSameBits(const std::vector<float>& actual, const std::vector<float>& expected, const char* what) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(actual[i]), std::bit_cast<std::uint32_t>(expected[i]))
            << what << " sample " << i << ": " << actual[i] << " vs " << expected[i];
    }
}

}  // namespace

TEST(PlayerEffects, RotateStartsAtItsAngleAndCarriesItAcrossBlocks) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(rotateStartAngle()), 0x3F490FDAu);
    RotateAngle.store(rotateStartAngle());
    float referenceAngle = rotateStartAngle();
    for (int round = 0; round < 3; ++round) {
        std::vector<float> actual = block(700, round);
        std::vector<float> expected = actual;
        RotateDSP(0, 0, actual.data(), bytes(actual), nullptr);
        rotateReference(expected, referenceAngle);
        expectSameBits(actual, expected, "rotate");
        EXPECT_EQ(std::bit_cast<std::uint32_t>(RotateAngle.load()),
                  std::bit_cast<std::uint32_t>(referenceAngle));
    }
}

TEST(PlayerEffects, RotateAngleWrapsBelowPi) {
    RotateAngle.store(3.14159f);
    std::vector<float> samples = block(10, 1);
    RotateDSP(0, 0, samples.data(), bytes(samples), nullptr);
    EXPECT_LT(RotateAngle.load(), 0.001f);
    EXPECT_GE(RotateAngle.load(), 0.0f);
}

TEST(PlayerEffects, EchoMatchesTheReferenceAndStartsEveryBlockWithAnEmptyHistory) {
    for (int pairs : {1, 1199, 1200, 3001}) {
        std::vector<float> actual = block(pairs, pairs);
        std::vector<float> expected = actual;
        EchoDSP(0, 0, actual.data(), bytes(actual), nullptr);
        echoReference(expected);
        expectSameBits(actual, expected, "echo");
    }
    // The same block twice gives the same result: nothing is carried over.
    std::vector<float> first = block(500, 9);
    std::vector<float> second = first;
    EchoDSP(0, 0, first.data(), bytes(first), nullptr);
    EchoDSP(0, 0, second.data(), bytes(second), nullptr);
    expectSameBits(first, second, "echo repeat");
}

TEST(PlayerEffects, FlangerMatchesTheReferenceAndStartsEveryBlockFresh) {
    for (int pairs : {1, 349, 350, 5000}) {
        std::vector<float> actual = block(pairs, pairs + 3);
        std::vector<float> expected = actual;
        FlangerDSP(0, 0, actual.data(), bytes(actual), nullptr);
        flangerReference(expected);
        expectSameBits(actual, expected, "flanger");
    }
    std::vector<float> first = block(800, 4);
    std::vector<float> second = first;
    FlangerDSP(0, 0, first.data(), bytes(first), nullptr);
    FlangerDSP(0, 0, second.data(), bytes(second), nullptr);
    expectSameBits(first, second, "flanger repeat");
}

TEST(PlayerEffects, AnOddTrailingFloatIsLeftAlone) {
    std::vector<float> samples = {0.5f, 0.5f, 0.25f};
    EchoDSP(0, 0, samples.data(), 12, nullptr);
    EXPECT_EQ(samples[2], 0.25f);
}
