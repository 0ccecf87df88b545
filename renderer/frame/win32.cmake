# The system's text for a failed call, shared by both Windows programs.
add_library(vorlune_win32_error STATIC ${CMAKE_CURRENT_LIST_DIR}/win32_error.cpp)
target_include_directories(vorlune_win32_error PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vorlune_win32_error PRIVATE vorlune_win32)
target_link_libraries(vorlune_win32_error PRIVATE vorlune_options)

# Windows: Vorlune.dll, the full-screen renderer (a program despite its name).
add_executable(vorlune_renderer WIN32
  ${CMAKE_CURRENT_LIST_DIR}/win32_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_render_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_frame_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_parent_watch.cpp
)
target_include_directories(vorlune_renderer PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vorlune_renderer PRIVATE vorlune_win32)
target_link_libraries(vorlune_renderer PRIVATE vorlune_gl vorlune_win32_error user32 gdi32
                      vorlune_options)
# The shell starts it by this exact file name, beside itself.
set_target_properties(vorlune_renderer PROPERTIES
  OUTPUT_NAME Vorlune
  SUFFIX .dll
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
)
