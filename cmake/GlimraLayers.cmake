# The folders of src/ in layers, lowest first: a folder's code uses its own
# headers and libraries and those of folders in lower layers, never those of
# its own layer or above. A folder not named here is in the layer of its
# nearest named parent (editor/'s sub-folders are all the editor's, and use
# each other freely).
set(GLIMRA_LAYERS
  "common"
  "format keys"
  "config console"
  "boot console/qt vm vesa"
  "preview sim"
  "screen grub"
  "lint render design"
  "editor"
  "render/cli"
  CACHE INTERNAL "")

# The named folder a folder belongs to and its layer's index; -1 for a
# folder outside every named one.
function(glimra_layer_of folder layers out_entry out_layer)
  set(path "${folder}")
  while(NOT path STREQUAL "")
    set(index 0)
    foreach(layer IN LISTS layers)
      string(REPLACE " " ";" names "${layer}")
      if(path IN_LIST names)
        set(${out_entry} "${path}" PARENT_SCOPE)
        set(${out_layer} ${index} PARENT_SCOPE)
        return()
      endif()
      math(EXPR index "${index} + 1")
    endforeach()
    get_filename_component(path "${path}" DIRECTORY)
  endwhile()
  set(${out_entry} "" PARENT_SCOPE)
  set(${out_layer} -1 PARENT_SCOPE)
endfunction()

# Why a folder may not use another's code, or nothing when it may.
function(glimra_layer_problem user used layers out)
  glimra_layer_of("${user}" "${layers}" user_entry user_layer)
  glimra_layer_of("${used}" "${layers}" used_entry used_layer)
  set(problem "")
  if(user_layer LESS 0)
    set(problem "${user}/ is in no layer (GLIMRA_LAYERS in cmake/GlimraLayers.cmake)")
  elseif(used_layer LESS 0)
    set(problem "${used}/ is in no layer (GLIMRA_LAYERS in cmake/GlimraLayers.cmake)")
  elseif(NOT used_entry STREQUAL user_entry)
    if(used_layer EQUAL user_layer)
      set(problem "${used}/ is in the same layer as ${user}/")
    elseif(used_layer GREATER user_layer)
      set(problem "${used}/ is in a higher layer than ${user}/")
    endif()
  endif()
  set(${out} "${problem}" PARENT_SCOPE)
endfunction()

# Fails the configuration when a library of src/ links a library of its own
# layer or a higher one.
function(glimra_check_link_layers directory)
  get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(source_dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH user "${PROJECT_SOURCE_DIR}/src" "${source_dir}")
    get_target_property(links ${target} LINK_LIBRARIES)
    foreach(link IN LISTS links)
      if(NOT TARGET "${link}")
        continue()
      endif()
      get_target_property(imported "${link}" IMPORTED)
      get_target_property(link_dir "${link}" SOURCE_DIR)
      if(imported OR NOT link_dir MATCHES "^${PROJECT_SOURCE_DIR}/src(/|$)")
        continue()
      endif()
      file(RELATIVE_PATH used "${PROJECT_SOURCE_DIR}/src" "${link_dir}")
      glimra_layer_problem("${user}" "${used}" "${GLIMRA_LAYERS}" problem)
      if(problem)
        message(FATAL_ERROR "${target} links ${link}: ${problem}")
      endif()
    endforeach()
  endforeach()
  get_property(subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    glimra_check_link_layers("${subdirectory}")
  endforeach()
endfunction()
