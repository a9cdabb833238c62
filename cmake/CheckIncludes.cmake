# Fails when a source under DIR includes a project header from outside the folders its library
# links, so that a layer's link list stays the whole truth about what it depends on. One include
# root serves every folder, so the compiler alone would let any header through.
#   cmake -DDIR=<folder> -DALLOWED=<regex of the allowed paths, from the repository root>
#         -P CheckIncludes.cmake
file(GLOB_RECURSE sources ${DIR}/*.h ${DIR}/*.cpp)
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
    if(NOT header MATCHES "${ALLOWED}")
      file(RELATIVE_PATH name ${DIR} ${source})
      list(APPEND found "${name}: ${header}")
    endif()
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n  " text)
  message(FATAL_ERROR "${DIR} includes headers it does not link:\n  ${text}")
endif()
