# mss_resource_table(<name> <type|id|file>...): a static library holding one
# resource table, generated from the files at build time. A program links
# exactly one table: the installer its own (with the product build's download
# manifest), tests and tools the plain one.
function(mss_resource_table name)
  set(entries ${ARGN})
  set(files "")
  foreach(entry IN LISTS entries)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 2 path)
    list(APPEND files "${path}")
  endforeach()
  set(cpp ${CMAKE_BINARY_DIR}/generated/${name}.cpp)
  add_custom_command(
    OUTPUT ${cpp}
    COMMAND ${CMAKE_COMMAND} "-DOUTPUT=${cpp}" "-DENTRIES=${entries}"
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake
            ${PROJECT_SOURCE_DIR}/resources/resources.cmake
    COMMENT "Embedding the resource table ${name}"
    VERBATIM)
  # Object files: linked whole into the program, whatever the link order.
  add_library(${name} OBJECT ${cpp})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE mss_options)
endfunction()
