# Checks that the layers under src/ point downwards only. A layer is a folder of src/; its rank is
# its place in the list handed in. Two rules, both checked when the build is configured:
#   - a source file of a layer includes "<folder>/..." only for folders of the same or a lower rank;
#   - a target defined in a layer links only targets defined in the same or a lower layer.
# Any breach stops the configuration with the file (or target) and what it reaches for.

function(_plomera_targets_under dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _plomera_targets_under(${sub} sub_targets)
    list(APPEND targets ${sub_targets})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(plomera_check_layers layers)
  set(src ${PROJECT_SOURCE_DIR}/src)
  set(breaches "")

  # Rank of every target, by the layer folder that defines it.
  set(rank 0)
  foreach(layer IN LISTS layers)
    set(rank_of_${layer} ${rank})
    if(EXISTS ${src}/${layer}/CMakeLists.txt)
      _plomera_targets_under(${src}/${layer} layer_targets)
      foreach(t IN LISTS layer_targets)
        set(target_rank_${t} ${rank})
        set(target_layer_${t} ${layer})
        list(APPEND all_targets ${t})
      endforeach()
    endif()
    math(EXPR rank "${rank} + 1")
  endforeach()

  # Links.
  foreach(t IN LISTS all_targets)
    get_target_property(links ${t} LINK_LIBRARIES)
    get_target_property(interface_links ${t} INTERFACE_LINK_LIBRARIES)
    set(reached ${links} ${interface_links})
    list(REMOVE_DUPLICATES reached)
    foreach(l IN LISTS reached)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" l "${l}")
      if(DEFINED target_rank_${l} AND target_rank_${l} GREATER target_rank_${t})
        string(APPEND breaches "  target ${t} (${target_layer_${t}}) links ${l} (${target_layer_${l}})\n")
      endif()
    endforeach()
  endforeach()

  # Includes.
  foreach(layer IN LISTS layers)
    if(NOT IS_DIRECTORY ${src}/${layer})
      continue()
    endif()
    file(GLOB_RECURSE files ${src}/${layer}/*.h ${src}/${layer}/*.cpp ${src}/${layer}/*.c)
    foreach(f IN LISTS files)
      file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z_]+/")
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([A-Za-z_]+)/.*$" "\\1" folder "${line}")
        if(DEFINED rank_of_${folder} AND rank_of_${folder} GREATER rank_of_${layer})
          file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${f})
          string(STRIP "${line}" line)
          string(APPEND breaches "  ${rel} (${layer}): ${line}\n")
        endif()
      endforeach()
    endforeach()
  endforeach()

  if(breaches)
    message(FATAL_ERROR "Layers must point downwards (order: ${layers}); these reach up:\n${breaches}")
  endif()
endfunction()
