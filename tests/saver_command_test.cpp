#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "saver/saver_command.h"

namespace {

// Reads a command line given as its arguments after the program path.
SaverCommand Read(std::initializer_list<const char16_t*> args) {
    std::vector<const char16_t*> argv = {u"huemix.scr"};
    argv.insert(argv.end(), args);
    return ReadSaverCommand(static_cast<int>(argv.size()), argv.data());
}

::testing::AssertionResult Is(const SaverCommand& c, SaverAction action, uint64_t window, int valid) {
    if (c.action == action && c.window == window && c.windowValid == valid) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "action " << static_cast<int>(c.action) << ", window " << c.window
                                         << ", valid " << c.windowValid;
}

}  // namespace

TEST(SaverCommand, LettersInAnyCaseAfterSlashOrDash) {
    for (auto arg : {u"/s", u"/S", u"-s", u"-S", u"/s:"}) EXPECT_TRUE(Is(Read({arg}), SaverAction::Run, 0, 0));
    for (auto arg : {u"/a", u"-A", u"/a:77"}) EXPECT_TRUE(Is(Read({arg, u"12"}), SaverAction::Nothing, 0, 0));
    EXPECT_TRUE(Is(Read({u"/c"}), SaverAction::Configure, 0, 0));
    EXPECT_TRUE(Is(Read({u"-C", u"4321"}), SaverAction::Configure, 4321, 1));
}

TEST(SaverCommand, HandleAfterASpaceOrAColon) {
    EXPECT_TRUE(Is(Read({u"/p", u"1234"}), SaverAction::Preview, 1234, 1));
    EXPECT_TRUE(Is(Read({u"/P:1234"}), SaverAction::Preview, 1234, 1));
    EXPECT_TRUE(Is(Read({u"-p", u"18446744073709551615"}), SaverAction::Preview, UINT64_MAX, 1));
    EXPECT_TRUE(Is(Read({u"/c:987654"}), SaverAction::Configure, 987654, 1));
    // The colon form wins over a following argument.
    EXPECT_TRUE(Is(Read({u"/p:5", u"6"}), SaverAction::Preview, 5, 1));
}

TEST(SaverCommand, MalformedOrZeroHandlesAreNotValid) {
    for (auto handle : {u"0", u"", u"abc", u"12ab", u"-5", u"+5", u" 5", u"5 ", u"0x10",
                        u"18446744073709551616", u"99999999999999999999999"}) {
        EXPECT_TRUE(Is(Read({u"/p", handle}), SaverAction::Preview, 0, 0));
    }
    EXPECT_TRUE(Is(Read({u"/p"}), SaverAction::Preview, 0, 0));  // none at all
    EXPECT_TRUE(Is(Read({u"/p:"}), SaverAction::Preview, 0, 0));
    EXPECT_TRUE(Is(Read({u"/p:12:3"}), SaverAction::Preview, 0, 0));
    // A bad owner of the dialog is no error: the dialog then has the foreground window.
    EXPECT_TRUE(Is(Read({u"/c:bad"}), SaverAction::Configure, 0, 0));
}

TEST(SaverCommand, AnythingElseShowsTheSettingsUnowned) {
    EXPECT_TRUE(Is(ReadSaverCommand(1, std::vector<const char16_t*>{u"huemix.scr"}.data()),
                   SaverAction::Configure, 0, 0));
    EXPECT_TRUE(Is(ReadSaverCommand(0, nullptr), SaverAction::Configure, 0, 0));
    for (auto arg : {u"", u"/", u"-", u"s", u"/x", u"/save", u"/ss", u"//s", u"/x:12", u"\u0161"}) {
        EXPECT_TRUE(Is(Read({arg, u"12"}), SaverAction::Configure, 0, 0));
    }
}
