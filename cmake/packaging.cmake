# What the programs install, and the release packages CPack makes of them:
# from the Windows build the zip (the two programs side by side, a read-me and
# the licence), from the native build the Debian package (the hack where
# Debian's XScreenSaver keeps its hacks, its settings file, vorlune-tool, man
# pages, copyright), from the web build the page's zip. scripts/package.sh runs
# them into dist/. The version is the one project() sets.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME vorlune)
set(CPACK_PACKAGE_VENDOR "The Vorlune developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "metaballs over a zooming texture, an OpenGL screen saver")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
set(vorlune_package_dir ${CMAKE_BINARY_DIR}/package)

# Writes a text file for Windows users: the version filled in, CRLF line ends,
# and a byte-order mark when asked (Notepad then reads it as UTF-8).
function(vorlune_windows_text source destination)
  file(READ ${source} text)
  string(CONFIGURE "${text}" text @ONLY)
  string(REPLACE "\n" "\r\n" text "${text}")
  if(ARGN STREQUAL "BOM")
    string(ASCII 239 187 191 bom)
    string(PREPEND text "${bom}")
  endif()
  file(WRITE ${destination} "${text}")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

# A text compressed as Debian keeps man pages and change logs (gzip -9n), with
# the version filled in; built with the programs.
function(vorlune_gzipped_text source destination)
  find_program(VORLUNE_GZIP gzip REQUIRED)
  get_filename_component(name ${destination} NAME)
  configure_file(${source} ${vorlune_package_dir}/${name}.in @ONLY)
  add_custom_command(OUTPUT ${vorlune_package_dir}/${name}.gz
    COMMAND ${VORLUNE_GZIP} -9nkf ${vorlune_package_dir}/${name}.in
    COMMAND ${CMAKE_COMMAND} -E rename ${vorlune_package_dir}/${name}.in.gz
            ${vorlune_package_dir}/${name}.gz
    DEPENDS ${vorlune_package_dir}/${name}.in
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY vorlune_gzipped_texts ${vorlune_package_dir}/${name}.gz)
endfunction()

if(EMSCRIPTEN)
  # The web page, ready for any static host: index.html holds all of it.
  install(FILES ${CMAKE_BINARY_DIR}/web/index.html DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vorlune-${PROJECT_VERSION}-web)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
elseif(WIN32)
  vorlune_windows_text(${PROJECT_SOURCE_DIR}/data/windows/README.txt
                       ${vorlune_package_dir}/README.txt BOM)
  vorlune_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${vorlune_package_dir}/LICENSE.txt)
  install(TARGETS vorlune_saver vorlune_renderer RUNTIME DESTINATION .)
  install(FILES ${vorlune_package_dir}/README.txt ${vorlune_package_dir}/LICENSE.txt DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vorlune-${PROJECT_VERSION}-windows-x64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  # Debian's XScreenSaver runs its hacks from libexec/xscreensaver and reads
  # their settings from share/xscreensaver/config.
  install(TARGETS vorlune RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
  install(TARGETS vorlune-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A stripped install (the package's) also drops the .comment section, the
  # compiler's name that strip keeps and nothing reads.
  foreach(program ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/vorlune
                  ${CMAKE_INSTALL_BINDIR}/vorlune-tool)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${program}\"
                  COMMAND_ERROR_IS_FATAL ANY)
endif()")
  endforeach()
  # On the PATH too, for what starts it by name on Wayland (an idle daemon's
  # timeout command, a compositor's start-up file).
  install(CODE "file(CREATE_LINK ../${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/vorlune
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vorlune\" SYMBOLIC)")
  install(FILES ${PROJECT_SOURCE_DIR}/data/xscreensaver/vorlune.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
  # The log-in entry that starts the idle saver, for a user to copy into
  # ~/.config/autostart: installed there for everyone, nobody could turn it off.
  install(FILES ${PROJECT_SOURCE_DIR}/data/autostart/vorlune-idle.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/vorlune)

  string(TIMESTAMP VORLUNE_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  vorlune_gzipped_text(${PROJECT_SOURCE_DIR}/data/man/vorlune.6 vorlune.6)
  vorlune_gzipped_text(${PROJECT_SOURCE_DIR}/data/man/vorlune-tool.1 vorlune-tool.1)
  vorlune_gzipped_text(${PROJECT_SOURCE_DIR}/data/debian/changelog changelog)
  get_property(texts GLOBAL PROPERTY vorlune_gzipped_texts)
  add_custom_target(vorlune_gzipped_texts ALL DEPENDS ${texts})
  install(FILES ${vorlune_package_dir}/vorlune.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${vorlune_package_dir}/vorlune-tool.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${vorlune_package_dir}/changelog.gz ${PROJECT_SOURCE_DIR}/data/debian/copyright
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vorlune)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Vorlune developers <vorlune@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # libdecor draws a window's title bar only through a plug-in, which nothing
  # links to: without it, --window on GNOME has none.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libdecor-0-plugin-1-cairo")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_PACKAGE_DESCRIPTION
      "Five metaballs drift on Lissajous paths and melt into one another,
polygonised by marching cubes at two levels into translucent, lit,
sphere-mapped shells over a slowly zooming background of a texture the
program synthesises itself.
.
This package holds the screen saver (vorlune): on Wayland it covers every
output, started by itself when the user is idle (vorlune --idle, on GNOME,
KDE Plasma and sway) or by an idle daemon such as swayidle, or runs as an
animated background; on X11 it is an XScreenSaver hack. And
vorlune-tool, which exports the texture, meshes, rendered stills and
benchmarks of the scene without a display.")
endif()

include(CPack)
