# The settings dialog and its push button: the portable logic builds
# everywhere, its tests run natively and under Wine.
set(vorlune_ui_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(vorlune_ui_core STATIC
  ${vorlune_ui_dir}/command_logic.cpp
  ${vorlune_ui_dir}/face_geometry.cpp
  ${vorlune_ui_dir}/property_bag.cpp
  ${vorlune_ui_dir}/dialog_rules.cpp
)
target_include_directories(vorlune_ui_core PUBLIC ${vorlune_ui_dir}/..)
# Captions and font names are code page 932 bytes in the program.
target_compile_options(vorlune_ui_core PUBLIC -fexec-charset=CP932)
target_link_libraries(vorlune_ui_core PUBLIC vorlune_shell_core PRIVATE vorlune_options)
