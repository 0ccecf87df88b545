# Windows: the settings dialog of Vorlune.scr and its push button.
add_library(vorlune_ui_win32 STATIC
  ${vorlune_ui_dir}/win32_drawing.cpp
  ${vorlune_ui_dir}/win32_command.cpp
  ${vorlune_ui_dir}/win32_settings_dialog.cpp
)
target_link_libraries(vorlune_ui_win32 PUBLIC vorlune_ui_core vorlune_shell_win32
                      msimg32 comdlg32 shell32 PRIVATE vorlune_options)
target_link_libraries(vorlune_saver PRIVATE vorlune_ui_win32)
