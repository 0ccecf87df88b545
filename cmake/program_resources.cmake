# What each Windows program says of itself: the version resource, filled from
# project()'s version, and the manifest, from the program's own .rc beside its
# sources. A folder calls vorlune_program_resources for the program it defines.
set(vorlune_version_dir ${CMAKE_BINARY_DIR}/version)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version_info.rc.in ${vorlune_version_dir}/version_info.rc
               @ONLY)

function(vorlune_program_resources program rc)  # rc: .rc and .manifest without extension
  get_filename_component(dir ${rc} DIRECTORY)
  target_sources(${program} PRIVATE ${rc}.rc)
  # The resource compiler finds the version and the manifest on the include path.
  target_include_directories(${program} PRIVATE ${dir} ${vorlune_version_dir})
  set_source_files_properties(${rc}.rc PROPERTIES
    OBJECT_DEPENDS "${rc}.manifest;${vorlune_version_dir}/version_info.rc")
endfunction()
