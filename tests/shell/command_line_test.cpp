#include "shell/command_line.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vorlune::saver {
namespace {

TEST(ModeLetter, IsTheSecondCharacterUpperCased) {
    const struct {
        const char* arguments;
        char letter;
    } cases[] = {
        {"/s", 'S'},      {"/S", 'S'},      {"-s", 'S'}, {"xS", 'S'}, {"/p 1234", 'P'},
        {"/P:1234", 'P'}, {"/c:1234", 'C'}, {"/a", 'A'}, {"S", 0},    {"", 0},
        {"x", 0},         {"  s", ' '},     {"/1", '1'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ModeLetter(c.arguments, IsCp932LeadByte), c.letter) << '"' << c.arguments << '"';
    }
}

TEST(ModeLetter, CountsATwoByteCharacterOnce) {
    // "ア" (83 41) first: the letter is the character after it, not its trail byte.
    EXPECT_EQ(ModeLetter("\x83\x41s", IsCp932LeadByte), 'S');
    EXPECT_EQ(ModeLetter("\x83\x41s", IsSingleByte), 'A');
    // A two-byte second character is no letter at all.
    EXPECT_EQ(ModeLetter("/\x83\x53", IsCp932LeadByte), 0);
}

TEST(HostHandle, ReadsTheNumberFromTheFourthCharacter) {
    const struct {
        const char* arguments;
        std::int32_t handle;
    } cases[] = {
        {"/p 1234", 1234},
        {"/p:1234", 1234},
        {"/P  4242", 4242},
        {"/p", 0},
        {"/p ", 0},
        {"/p abc", 0},
        {"/p 12ab34", 12},
        {"/p 1 2 3", 123},      // blanks inside are skipped too
        {"/p 65538.5", 65538},  // halves round to even
        {"/p 65539.5", 65540},
        {"/p -7", -7},
        {"/p 2147483647", 2147483647},
        {"/p 2147483648", 0},  // beyond 32 bits: no handle
        {"/p 0x10", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostHandle(c.arguments, IsCp932LeadByte), c.handle) << '"' << c.arguments << '"';
    }
}

TEST(StartUpDecisions, FollowTheModeTable) {
    // A run or the settings dialog already open ends every new copy, previews too.
    EXPECT_EQ(DecideFirstStep(true, 'P'), FirstStep::EndSilently);
    EXPECT_EQ(DecideFirstStep(true, 'S'), FirstStep::EndSilently);
    EXPECT_EQ(DecideFirstStep(false, 'P'), FirstStep::Preview);
    EXPECT_EQ(DecideFirstStep(false, 'S'), FirstStep::LoadSettings);
    EXPECT_EQ(DecideFirstStep(false, 0), FirstStep::LoadSettings);

    const struct {
        const char* arguments;
        bool rendererFound;
        SecondStep step;
        bool hideCursor;
    } cases[] = {
        {"/s", true, SecondStep::Run, true},
        {"-S", true, SecondStep::Run, true},
        {"", true, SecondStep::Run, false},
        {"/c", true, SecondStep::SettingsDialog, false},
        {"/c:1234", true, SecondStep::SettingsDialog, false},
        {"/a", true, SecondStep::EndSilently, false},
        {"x", true, SecondStep::EndSilently, false},
        {"S", true, SecondStep::EndSilently, false},
        {"/s", false, SecondStep::MissingRenderer, false},
        {"/c", false, SecondStep::MissingRenderer, false},
        {"/a", false, SecondStep::MissingRenderer, false},
        {"", false, SecondStep::MissingRenderer, false},
    };
    for (const auto& c : cases) {
        const SecondDecision decision = DecideSecondStep(
            c.arguments, ModeLetter(c.arguments, IsCp932LeadByte), c.rendererFound);
        EXPECT_EQ(decision.step, c.step) << '"' << c.arguments << '"';
        EXPECT_EQ(decision.hideCursor, c.hideCursor) << '"' << c.arguments << '"';
    }
}

TEST(PreviewTwips, ScalesAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(PreviewTwips(152, 15), 2280);
    EXPECT_EQ(PreviewTwips(112, 15), 1680);
    // Hosts wider than 2184 pixels still get a preview.
    EXPECT_EQ(PreviewTwips(2560, 15), 38400);
    EXPECT_EQ(PreviewTwips(0, 15), 0);
    EXPECT_EQ(PreviewTwips(200000000, 15), 0);
}

}  // namespace
}  // namespace vorlune::saver
