#pragma once

namespace vorlune::saver {

// Texts that other programs, other copies of this one and the settings file
// know us by. Compiled with the execution character set CP932, so that they
// are the code page 932 bytes the system compares and stores.

// The program's title, the caption of its message boxes.
inline constexpr char kProgramTitle[] = "Vorlune";

// Window captions: the hidden run form (a run in progress), the settings
// dialog, the preview form, and the renderer's window.
inline constexpr char kRunCaption[] = "Vorlune_Main";
inline constexpr char kSettingsCaption[] = "<Vorlune>";
inline constexpr char kPreviewCaption[] = "Preview Window";
inline constexpr char kRendererCaption[] = "VorluneVC";

// Our window classes are this followed by the kind of window: the forms are
// "VorluneForm", the settings dialog's panel "VorlunePanel" and its push
// buttons "VorluneCommand".
inline constexpr char kClassPrefix[] = "Vorlune";

// A mutex held by every start that may become a run or the settings dialog,
// from its first step to its end.
inline constexpr char kInstanceMutex[] = "Vorlune_Instance";

// Beside the program, in its folder.
inline constexpr char kIniName[] = "\\Vorlune.ini";
inline constexpr char kRendererName[] = "\\Vorlune.dll";

// The settings file's section and keys.
inline constexpr char kSection[] = "Section";
inline constexpr char kKindKey[] = "BGM区分";
inline constexpr char kRepeatKey[] = "BGMﾘﾋﾟｰﾄ";
inline constexpr char kFileKey[] = "BGMﾌｧｲﾙ";

}  // namespace vorlune::saver
