# The levels: trackgen writes each level of data/levels/*.track under the
# names its record in config.xml gives, then the menu's Tracks imageset from
# the levels' pictures; and the pickups the levels place. Included by
# data/CMakeLists.txt, which packs what these write below generated/.
set(level_config ${CMAKE_CURRENT_SOURCE_DIR}/archive/config.xml)
set(level_scratch ${CMAKE_CURRENT_BINARY_DIR}/levels)
file(GLOB level_params CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/levels/*.track)
set(level_data)
set(level_pictures)
foreach(params ${level_params})
  get_filename_component(name ${params} NAME_WE)
  # The scene stands for the level's files; its menu picture for the imageset.
  set(scene ${generated_dir}/D/Zoprax9/levels/${name}/${name}.lws)
  set(picture ${level_scratch}/${name}.ppm)
  add_custom_command(
    OUTPUT ${scene} ${picture}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${level_scratch}
    COMMAND $<TARGET_FILE:trackgen> level ${params} ${level_config} ${generated_dir} ${level_scratch}
    DEPENDS ${params} ${level_config} trackgen
    COMMENT "Making level ${name}"
    VERBATIM)
  list(APPEND level_data ${scene})
  list(APPEND level_pictures ${picture})
endforeach()
set(tracks_imageset ${menu_dir}/Tracks.imageset)
add_custom_command(
  OUTPUT ${tracks_imageset} ${menu_dir}/Tracks.jpg
  COMMAND $<TARGET_FILE:trackgen> tracks ${level_config} ${generated_dir} ${level_scratch}
  DEPENDS ${level_pictures} ${level_config} trackgen
  COMMENT "Making the Tracks imageset"
  VERBATIM)
set(pickup_objects ${generated_dir}/D/Zoprax9/3dobjects_extras/coin.lwo)
add_custom_command(
  OUTPUT ${pickup_objects}
  COMMAND $<TARGET_FILE:trackgen> pickups ${generated_dir}
  DEPENDS trackgen
  COMMENT "Making the pickups"
  VERBATIM)
list(APPEND level_data ${tracks_imageset} ${pickup_objects})
