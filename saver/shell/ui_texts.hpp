#pragma once

#include <cstdint>
#include <string_view>

namespace vorlune::saver {

// What a person reads in the shell, one table a language. The settings
// file's keys and the captions other copies look for are not here: they stay
// the same bytes whatever language the user reads (shell_names.hpp).
//
// The tables are UTF-8, whatever code page the system uses; the Windows
// build hands them to the system's wide entry points.
struct UiTexts {
    // Message boxes.
    std::u8string_view missingRenderer;
    // The program's folder has no name the system's code page can spell, not
    // even a short one: the renderer and the settings could not be reached.
    std::u8string_view unusableFolder;
    // The chosen music file has no such name either; nothing was changed.
    std::u8string_view unusableMusicPath;
    // Followed by the settings file's path and the system's reason.
    std::u8string_view settingsNotWritten;

    // The settings dialog.
    std::u8string_view heading;  // the frame at the top of the panel
    std::u8string_view noMusic;  // the music kinds, by BgmKind
    std::u8string_view cdMusic;
    std::u8string_view fileMusic;
    std::u8string_view repeatTrack;  // after the track box
    std::u8string_view chooseFile;   // the button that opens the file chooser
    std::u8string_view save;
    std::u8string_view cancel;

    // The file chooser: its title and the name of its one filter.
    std::u8string_view chooserTitle;
    std::u8string_view chooserFilter;

    // The font of the dialog's labels and buttons.
    std::u8string_view fontName;
    double fontPoints;
    std::uint8_t fontCharset;
};

enum class UiLanguage { Japanese, English };

// The language for a user interface language (a Windows LANGID): Japanese
// for any Japanese, English for everything else.
UiLanguage LanguageFor(std::uint16_t languageId);

const UiTexts& TextsFor(UiLanguage language);

}  // namespace vorlune::saver
