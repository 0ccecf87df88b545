# Linux: vorlune, the renderer as a native X11/GLX program and screen-saver hack.
find_package(X11 REQUIRED)

# The parts with no X connection of their own (arguments, key codes), kept in
# a library so the tests can reach them.
add_library(vorlune_x11_input STATIC
  ${CMAKE_CURRENT_LIST_DIR}/x11_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_keys.cpp
)
target_include_directories(vorlune_x11_input PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vorlune_x11_input PUBLIC X11::X11 PRIVATE vorlune_options)

add_executable(vorlune
  ${CMAKE_CURRENT_LIST_DIR}/x11_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/glx_render_window.cpp
)
target_link_libraries(vorlune PRIVATE vorlune_x11_input vorlune_gl vorlune_posix_clock
                      OpenGL::GLX X11::X11 vorlune_options)

install(TARGETS vorlune RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/data/xscreensaver/vorlune.xml
        DESTINATION share/xscreensaver/config)
