# velloran_headers(<target> <header>...)
#
# Makes the target's headers (named relative to the current source folder)
# includable by their path from the source root, as in
# #include "dedupe/item_file.h", from the target itself and from the targets
# that link it, and from nowhere else. Each target gets an include root of its
# own in the build tree holding links to exactly its headers; no include path
# reaches the whole source tree. So an include across the layers (dedupe/
# including a GUI toolkit, say) does not compile unless CMake links the two.
function(velloran_headers target)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(header IN LISTS ARGN)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${header})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "velloran_headers(${target}): no header ${source}")
    endif()
    set(link ${root}/${folder}/${header})
    get_filename_component(link_folder ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${link_folder})
    file(CREATE_LINK ${source} ${link} SYMBOLIC COPY_ON_ERROR)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
