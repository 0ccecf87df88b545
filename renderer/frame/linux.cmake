# Linux: the frame clock and the headless EGL context (tools and tests).
add_library(vorlune_posix_clock STATIC ${CMAKE_CURRENT_LIST_DIR}/posix_frame_clock.cpp)
target_include_directories(vorlune_posix_clock PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vorlune_posix_clock PRIVATE vorlune_options)

add_library(vorlune_egl STATIC ${CMAKE_CURRENT_LIST_DIR}/egl_offscreen.cpp)
target_link_libraries(vorlune_egl PUBLIC vorlune_gl vorlune_posix_clock OpenGL::EGL
                      PRIVATE vorlune_options)

# The native renderer (X11/GLX).
include(${CMAKE_CURRENT_LIST_DIR}/x11.cmake)
