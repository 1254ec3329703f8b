#include <gtest/gtest.h>

#include <string>

#include "saver/saver_settings.h"

namespace {

constexpr uint32_t kString = 1;     // REG_SZ
constexpr uint32_t kBinary = 3;     // REG_BINARY
constexpr uint32_t kBigEndian = 5;  // REG_DWORD_BIG_ENDIAN
constexpr uint32_t kQword = 11;     // REG_QWORD

uint32_t FromDword(int id, uint32_t value) { return SaverSettingFromRaw(id, {1, kRegistryDwordType, 4, value}); }

std::string Named(const char* upper, size_t size = 64) {
    char out[64] = "unchanged";
    DialogName(upper, out, size);
    return out;
}

}  // namespace

TEST(SaverSettings, EveryDefaultIsAValidValueOfItsOwn) {
    const SaverSettings s = DefaultSaverSettings();
    for (int id = 0; id < kSaverSettingCount; ++id) {
        EXPECT_EQ(FromDword(id, s.values[id]), s.values[id]) << SaverSettingTable[id].name;
    }
}

TEST(SaverSettings, ValuesInRangeAreKeptAtBothEnds) {
    for (int id = 0; id < kSaverSettingCount; ++id) {
        const SaverSettingInfo& info = SaverSettingTable[id];
        EXPECT_EQ(FromDword(id, info.minimum), info.minimum) << info.name;
        EXPECT_EQ(FromDword(id, info.maximum), info.maximum) << info.name;
        if (info.minimum > 0) {
            EXPECT_EQ(FromDword(id, info.minimum - 1), info.defaultValue) << info.name;
        }
        EXPECT_EQ(FromDword(id, info.maximum + 1), info.defaultValue) << info.name;
        EXPECT_EQ(FromDword(id, 0xFFFFFFFFu), info.defaultValue) << info.name;
    }
    EXPECT_EQ(FromDword(kSettingSecondsPerMode, 45), 45u);
    EXPECT_EQ(FromDword(kSettingPalette, 10), 10u);
}

TEST(SaverSettings, MissingWrongTypeOrWrongSizeGiveTheDefault) {
    const int id = kSettingRotationMs;
    EXPECT_EQ(SaverSettingFromRaw(id, {0, kRegistryDwordType, 4, 120}), 50u);
    for (uint32_t type : {kString, kBinary, kBigEndian, kQword, 0u}) {
        EXPECT_EQ(SaverSettingFromRaw(id, {1, type, 4, 120}), 50u) << type;
    }
    for (uint32_t size : {0u, 2u, 8u, 1000u}) EXPECT_EQ(SaverSettingFromRaw(id, {1, kRegistryDwordType, size, 120}), 50u);
    EXPECT_EQ(SaverSettingFromRaw(-1, {1, kRegistryDwordType, 4, 1}), 0u);
    EXPECT_EQ(SaverSettingFromRaw(kSaverSettingCount, {1, kRegistryDwordType, 4, 1}), 0u);
}

TEST(SaverSettings, StepMustBeAPowerOfTwo) {
    for (uint32_t step : {1u, 2u, 4u, 8u}) EXPECT_EQ(FromDword(kSettingRotationStep, step), step);
    for (uint32_t step : {0u, 3u, 5u, 6u, 7u, 16u}) EXPECT_EQ(FromDword(kSettingRotationStep, step), 1u) << step;
}

TEST(SaverSettings, TypedNumbersAreBroughtIntoRange) {
    EXPECT_EQ(ClampSaverSetting(kSettingSecondsPerMode, 9), 10u);
    EXPECT_EQ(ClampSaverSetting(kSettingSecondsPerMode, 999), 600u);
    EXPECT_EQ(ClampSaverSetting(kSettingSecondsPerMode, 77), 77u);
    EXPECT_EQ(ClampSaverSetting(kSettingRotationMs, -3), 5u);
    EXPECT_EQ(ClampSaverSetting(kSettingRotationMs, INT64_MAX), 500u);
    EXPECT_EQ(ClampSaverSetting(kSettingRotationStep, 3), 2u);
    EXPECT_EQ(ClampSaverSetting(kSettingRotationStep, 7), 4u);
    EXPECT_EQ(ClampSaverSetting(kSettingRotationStep, 100), 8u);
    EXPECT_EQ(ClampSaverSetting(kSettingRotationStep, 0), 1u);
    EXPECT_EQ(ClampSaverSetting(kSaverSettingCount, 5), 0u);
}

TEST(SaverSettings, DialogNamesAreLoweredExceptShortOnes) {
    EXPECT_EQ(Named("STRING ART"), "String art");
    EXPECT_EQ(Named("REACTION-DIFFUSION"), "Reaction-diffusion");
    EXPECT_EQ(Named("MANDELBROT ZOOM"), "Mandelbrot zoom");
    EXPECT_EQ(Named("CGA"), "CGA");
    EXPECT_EQ(Named("IBM"), "IBM");
    EXPECT_EQ(Named(""), "");
    EXPECT_EQ(Named(nullptr), "");
    EXPECT_EQ(Named("PLASMA", 4), "Pla");  // cut to the room there is
    EXPECT_EQ(Named("PLASMA", 1), "");
    DialogName("PLASMA", nullptr, 10);  // nowhere to write: nothing happens
}
