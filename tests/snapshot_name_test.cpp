#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/snapshot_name.h"
#include "tests/fake_platform.h"

namespace {

constexpr SnapshotTime March7 = {2026, 3, 7, 14, 3, 9};
constexpr char16_t Sentinel = 0xBEEF;
const std::u16string Pictures = u"C:\\Users\\me\\Pictures";

// A name buffer with room to spare after its 260 units, to see any write past them.
struct NameBuffer {
    std::vector<char16_t> units = std::vector<char16_t>(SnapshotNameCapacity + 40, Sentinel);
    char16_t* data() { return units.data(); }
    std::u16string text() const { return std::u16string(units.data()); }
    bool untouchedPastCapacity() const {
        for (size_t i = SnapshotNameCapacity; i < units.size(); ++i) {
            if (units[i] != Sentinel) return false;
        }
        return true;
    }
};

std::u16string Build(NameBuffer& buffer, const std::u16string& folder, int32_t* result) {
    *result = BuildSnapshotName(buffer.data(), folder.c_str(), March7);
    return buffer.text();
}

}  // namespace

TEST(SnapshotName, FolderDateAndTimeWithLeadingZeros) {
    ResetFakePlatform();
    NameBuffer buffer;
    int32_t result = 1;
    EXPECT_EQ(Build(buffer, Pictures, &result), Pictures + u"\\kvhuemix_20260307_140309.png");
    EXPECT_EQ(result, 0);

    EXPECT_EQ(BuildSnapshotName(buffer.data(), u".", SnapshotTime{987, 1, 2, 0, 0, 5}), 0);
    EXPECT_EQ(buffer.text(), u".\\kvhuemix_09870102_000005.png");
    EXPECT_EQ(BuildSnapshotName(buffer.data(), u".", SnapshotTime{2099, 12, 31, 23, 59, 59}), 0);
    EXPECT_EQ(buffer.text(), u".\\kvhuemix_20991231_235959.png");
    EXPECT_TRUE(buffer.untouchedPastCapacity());
}

TEST(SnapshotName, TakenNamesGetTheNextFreeSuffix) {
    ResetFakePlatform();
    const std::u16string stem = Pictures + u"\\kvhuemix_20260307_140309";
    NameBuffer buffer;
    int32_t result = 1;
    fake.existingFiles = {stem + u".png"};
    EXPECT_EQ(Build(buffer, Pictures, &result), stem + u"_2.png");
    EXPECT_EQ(result, 0);
    fake.existingFiles.push_back(stem + u"_2.png");
    EXPECT_EQ(Build(buffer, Pictures, &result), stem + u"_3.png");
    // A gap is filled: only the plain name and _3 are taken.
    fake.existingFiles = {stem + u".png", stem + u"_3.png"};
    EXPECT_EQ(Build(buffer, Pictures, &result), stem + u"_2.png");
    // Another second's picture does not matter.
    fake.existingFiles = {Pictures + u"\\kvhuemix_20260307_140308.png"};
    EXPECT_EQ(Build(buffer, Pictures, &result), stem + u".png");
}

TEST(SnapshotName, GivesUpAfterNinetyNineTakenNames) {
    ResetFakePlatform();
    const std::u16string stem = Pictures + u"\\kvhuemix_20260307_140309";
    fake.existingFiles = {stem + u".png"};
    for (int n = 2; n <= 98; ++n) {
        std::string digits = std::to_string(n);
        fake.existingFiles.push_back(stem + u"_" + std::u16string(digits.begin(), digits.end()) + u".png");
    }
    NameBuffer buffer;
    int32_t result = 1;
    EXPECT_EQ(Build(buffer, Pictures, &result), stem + u"_99.png");
    EXPECT_EQ(result, 0);

    fake.existingFiles.push_back(stem + u"_99.png");
    EXPECT_EQ(Build(buffer, Pictures, &result), u"");
    EXPECT_EQ(result, -5);
}

TEST(SnapshotName, FolderMustLeaveRoomForTheWholeName) {
    ResetFakePlatform();
    // The name adds 29 units to the folder; with the terminator 230 units of folder
    // fill the buffer exactly.
    const std::u16string fitting(230, u'a');
    NameBuffer buffer;
    int32_t result = 1;
    std::u16string name = Build(buffer, fitting, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(name, fitting + u"\\kvhuemix_20260307_140309.png");
    EXPECT_EQ(name.size(), static_cast<size_t>(SnapshotNameCapacity - 1));
    EXPECT_TRUE(buffer.untouchedPastCapacity());

    // Room for the plain name, none for a suffix once it is taken.
    fake.existingFiles = {name};
    EXPECT_EQ(Build(buffer, fitting, &result), u"");
    EXPECT_EQ(result, -5);
    EXPECT_TRUE(buffer.untouchedPastCapacity());
    fake.existingFiles.clear();

    for (size_t length : {231u, 259u, 300u}) {
        NameBuffer tooLong;
        EXPECT_EQ(Build(tooLong, std::u16string(length, u'a'), &result), u"") << length;
        EXPECT_EQ(result, -5);
        EXPECT_TRUE(tooLong.untouchedPastCapacity()) << length;
    }
}

TEST(SnapshotName, UnterminatedFolderIsReadNoFurtherThanTheBuffer) {
    ResetFakePlatform();
    // 260 units and no terminator among them: the rest must never be read.
    std::vector<char16_t> folder(SnapshotNameCapacity, u'a');
    NameBuffer buffer;
    EXPECT_EQ(BuildSnapshotName(buffer.data(), folder.data(), March7), -5);
    EXPECT_EQ(buffer.text(), u"");
    EXPECT_TRUE(buffer.untouchedPastCapacity());
}
