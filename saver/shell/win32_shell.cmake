# Windows: Vorlune.scr, the screen-saver program Windows starts.
add_library(vorlune_shell_win32 STATIC
  ${vorlune_shell_dir}/win32_failure.cpp
  ${vorlune_shell_dir}/win32_forms.cpp
  ${vorlune_shell_dir}/win32_settings_store.cpp
  ${vorlune_shell_dir}/win32_picture.cpp
  ${vorlune_shell_dir}/win32_animation.cpp
  ${vorlune_shell_dir}/win32_run_form.cpp
  ${vorlune_shell_dir}/win32_preview_form.cpp
)
target_link_libraries(vorlune_shell_win32 PUBLIC vorlune_win32)
# Where the .rc file of a program that uses the forms finds its pictures.
target_include_directories(vorlune_shell_win32 PUBLIC ${vorlune_shell_dir}/../resources)
target_link_libraries(vorlune_shell_win32 PUBLIC vorlune_shell_core vorlune_music vorlune_win32_error
                      user32 gdi32 ole32 oleaut32 uuid PRIVATE vorlune_options)
# The .rc file with the pictures, for the programs and tests that show them.
set(vorlune_shell_resources ${vorlune_shell_dir}/../resources/vorlune_shell.rc CACHE INTERNAL "")
# The resource compiler does not tell the build which files the .rc pulls in.
file(GLOB vorlune_shell_pictures ${vorlune_shell_dir}/../resources/*.bmp
     ${vorlune_shell_dir}/../resources/*.cur ${vorlune_shell_dir}/../resources/*.ico
     ${vorlune_shell_dir}/../resources/*.jpg)
set_source_files_properties(${vorlune_shell_resources} PROPERTIES OBJECT_DEPENDS
                            "${vorlune_shell_pictures};${vorlune_shell_dir}/../resources/shell_resources.h")

add_executable(vorlune_saver WIN32
  ${vorlune_shell_dir}/win32_startup.cpp
  ${vorlune_shell_resources}
)
target_link_libraries(vorlune_saver PRIVATE vorlune_shell_win32 vorlune_options)
# Windows finds a screen saver by this name; Vorlune.dll lies beside it.
set_target_properties(vorlune_saver PROPERTIES
  OUTPUT_NAME Vorlune
  SUFFIX .scr
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
)
