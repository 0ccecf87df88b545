#include "shell/ui_texts.hpp"

namespace vorlune::saver {

namespace {

// The program's own texts, as they were first written.
constexpr UiTexts kJapanese{
    .missingRenderer = u8"Vorlune.dll が同じﾌｫﾙﾀﾞに見つかりません！",
    .unusableFolder =
        u8"このフォルダの名前はこのWindowsの文字コードで表せないため、"
        u8"Vorlune.dll と設定ファイルを開けません。\r\n"
        u8"英数字だけの名前のフォルダ（例：C:\\Vorlune）に移してください。",
    .unusableMusicPath =
        u8"このファイルの場所はこのWindowsの文字コードで表せないため、"
        u8"再生できません。\r\n"
        u8"英数字だけの名前のフォルダに移してから選んでください。",
    .settingsNotWritten = u8"設定をファイルに書き込めませんでした。",
    .heading = u8"BGM",
    .noMusic = u8"なし",
    .cdMusic = u8"音楽CD",
    .fileMusic = u8"MP3、WAV",
    .repeatTrack = u8"曲目をﾘﾋﾟｰﾄ",
    .chooseFile = u8"...",
    .save = u8"設定",
    .cancel = u8"ｷｬﾝｾﾙ",
    .chooserTitle = u8"ﾌｧｲﾙを開く",
    .chooserFilter = u8"BGMﾌｧｲﾙ (MP3 WAV)",
    .fontName = u8"ＭＳ Ｐゴシック",
    .fontPoints = 9.75,
    .fontCharset = 128,  // Shift-JIS
};

// Every text must fit the box the layout made for its Japanese, at any
// resolution: hence "Off" and "CD", and a smaller font than the Japanese.
constexpr UiTexts kEnglish{
    .missingRenderer = u8"Vorlune.dll was not found in the folder of this screen saver.",
    .unusableFolder =
        u8"The name of this folder cannot be written in this Windows's code "
        u8"page, so Vorlune.dll and the settings file cannot be opened.\r\n"
        u8"Move Vorlune to a folder whose name uses plain letters and digits "
        u8"only (for example C:\\Vorlune).",
    .unusableMusicPath =
        u8"The place of this file cannot be written in this Windows's code "
        u8"page, so it cannot be played.\r\n"
        u8"Move it to a folder whose name uses plain letters and digits "
        u8"only, then choose it again.",
    .settingsNotWritten = u8"The settings could not be written to their file.",
    .heading = u8"Background music",
    .noMusic = u8"Off",
    .cdMusic = u8"CD",
    .fileMusic = u8"MP3, WAV",
    .repeatTrack = u8"Loop track",
    .chooseFile = u8"...",
    .save = u8"OK",
    .cancel = u8"Cancel",
    .chooserTitle = u8"Choose the music",
    .chooserFilter = u8"Music (MP3, WAV)",
    .fontName = u8"Tahoma",
    .fontPoints = 8.25,
    .fontCharset = 1,  // DEFAULT_CHARSET: whatever script a path is in
};

}  // namespace

UiLanguage LanguageFor(std::uint16_t languageId) {
    // The primary language is the low ten bits; LANG_JAPANESE is 0x11.
    constexpr std::uint16_t kJapaneseLanguage = 0x11;
    return (languageId & 0x3ff) == kJapaneseLanguage ? UiLanguage::Japanese : UiLanguage::English;
}

const UiTexts& TextsFor(UiLanguage language) {
    return language == UiLanguage::Japanese ? kJapanese : kEnglish;
}

}  // namespace vorlune::saver
