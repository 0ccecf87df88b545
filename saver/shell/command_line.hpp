#pragma once

#include <cstdint>
#include <string_view>

#include "shell/shell_text.hpp"

namespace vorlune::saver {

// The mode letter of a screen-saver command line: the second character of the
// upper-cased argument text ("/s", "-s" and "xS" all give 'S'). The first
// character is skipped whatever it is. No letter (0) for fewer than two
// characters or when the second is a two-byte character.
char ModeLetter(std::string_view arguments, LeadBytePredicate isLead);

// The preview host's window handle: the argument text from its fourth
// character on, read as a leading number (blanks skipped, reading stops where
// the number cannot go on, no digits give 0) and rounded half to even to a
// 32-bit signed integer. "/p 1234" and "/p:1234" both give 1234; a number
// outside the 32-bit range gives 0.
std::int32_t HostHandle(std::string_view arguments, LeadBytePredicate isLead);

// What StartUp does before it loads the settings.
enum class FirstStep {
    EndSilently,   // a run or the settings dialog is already open
    Preview,       // mode letter P: preview, no settings, no renderer check
    LoadSettings,  // every other mode
};
FirstStep DecideFirstStep(bool previousInstance, char modeLetter);

// What StartUp does once the settings are loaded.
enum class SecondStep {
    MissingRenderer,  // the message box, then the end
    SettingsDialog,   // mode letter C
    EndSilently,      // any other letter, or none with a non-empty argument text
    Run,              // a full-screen run
};
struct SecondDecision {
    SecondStep step;
    bool hideCursor;  // only a run started by the letter S hides the cursor
};
SecondDecision DecideSecondStep(std::string_view arguments, char modeLetter, bool rendererFound);

// The preview's size in twips from the host's size in pixels. A value that
// does not fit in 32 bits gives 0.
std::int32_t PreviewTwips(std::int32_t pixels, std::int32_t twipsPerPixel);

}  // namespace vorlune::saver
