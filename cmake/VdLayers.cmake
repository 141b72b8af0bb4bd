# Include paths that enforce the layering.
#
# Every #include is spelled from the tree's root ("platform/com/variant.h"), but
# an include path at the root would let any folder include any other. Instead
# each folder's target gets its own folder in the build tree,
# include/<target>/, holding one symbolic link <folder> -> the source folder
# (include/vd_xml/platform/xml -> <source>/platform/xml), and that folder is the
# target's usage include directory. A target therefore sees its own folder and
# the folders of the targets it links, and nothing else: an include of a folder
# it does not link is "No such file". No source is ever compiled with the root
# on its path, and a quoted include is looked up beside the including file
# first, never at the root.

# vd_expose_folder(<target> [FOLDER <source folder>])
# Makes <target> expose the folder (by default the calling folder), spelled
# from the root, to itself and to whoever links it.
function(vd_expose_folder target)
  cmake_parse_arguments(ARG "" "FOLDER" "" ${ARGN})
  if(NOT ARG_FOLDER)
    set(ARG_FOLDER ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${ARG_FOLDER})
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${ARG_FOLDER} ${root}/${folder} SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# vd_library_targets_under(<folder> <variable>)
# The library targets defined in <folder> and the folders below it.
function(vd_library_targets_under folder out)
  set(found "")
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "_LIBRARY$")
      list(APPEND found ${target})
    endif()
  endforeach()
  get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(subfolder IN LISTS subfolders)
    vd_library_targets_under(${subfolder} below)
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()
