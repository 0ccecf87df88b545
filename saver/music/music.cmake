# The music player. Its decisions build everywhere and are tested natively;
# the ports onto the Windows multimedia services only in the Windows build.
add_library(vorlune_music STATIC ${CMAKE_CURRENT_LIST_DIR}/bgm_player.cpp)
target_include_directories(vorlune_music PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(vorlune_music PRIVATE vorlune_options)
if(WIN32)
  target_sources(vorlune_music PRIVATE ${CMAKE_CURRENT_LIST_DIR}/win32_bgm_player.cpp)
  target_link_libraries(vorlune_music PRIVATE vorlune_win32)
  target_link_libraries(vorlune_music PUBLIC winmm)
endif()
