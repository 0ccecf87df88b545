# Vorlune.scr's shell: the portable rules (command line, settings values,
# renderer watch) build everywhere; the program only for Windows.
set(vorlune_shell_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(vorlune_shell_core STATIC
  ${vorlune_shell_dir}/shell_text.cpp
  ${vorlune_shell_dir}/command_line.cpp
  ${vorlune_shell_dir}/settings_rules.cpp
  ${vorlune_shell_dir}/renderer_watch.cpp
)
target_include_directories(vorlune_shell_core PUBLIC ${vorlune_shell_dir}/..)
# The settings keys and the shell's Japanese texts are code page 932 bytes in
# the program, whatever the source files are written in.
target_compile_options(vorlune_shell_core PUBLIC -fexec-charset=CP932)
target_link_libraries(vorlune_shell_core PRIVATE vorlune_options)

if(WIN32)
  include(${vorlune_shell_dir}/win32_shell.cmake)
endif()
