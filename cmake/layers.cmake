# survey_layer(FOLDER SOURCES... [DEPENDS LAYER...]): the library of one folder of src/.
#
# A layer sees its own headers and those of the layers it depends on, and no others: each
# library's include directory is a folder of its own in the build tree that holds one link,
# to its source folder. An include of a layer above or beside fails to compile.
function(survey_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;DEPENDS")
  set(view "${CMAKE_BINARY_DIR}/layers/${folder}")
  file(MAKE_DIRECTORY "${view}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${folder}" "${view}/${folder}" SYMBOLIC)
  add_library(survey_${folder} STATIC ${arg_SOURCES})
  target_include_directories(survey_${folder} PUBLIC "${view}")
  foreach(dependency IN LISTS arg_DEPENDS)
    target_link_libraries(survey_${folder} PUBLIC survey_${dependency})
  endforeach()
endfunction()
