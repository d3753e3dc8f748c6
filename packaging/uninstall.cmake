# Removes what the last "cmake --install" put into place, as listed in install_manifest.txt,
# then the folders of ours that are left empty (a path component named kaz-trainer), and
# compiles the MIME database and the menu's type index of the data folder again, so that they
# no longer know the lesson type or the trainer. Honours DESTDIR as the install did; there the
# databases are the package's triggers' business.
#   cmake -DMANIFEST=<build>/install_manifest.txt -P uninstall.cmake
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (no install from this "
                      "build folder yet).")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/install_steps.cmake")

file(STRINGS "${MANIFEST}" installed)
set(datadir "")
set(folders "")
set(failed 0)
foreach(file IN LISTS installed)
  set(path "$ENV{DESTDIR}${file}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
    if(EXISTS "${path}" OR IS_SYMLINK "${path}")
      message(SEND_ERROR "Could not remove ${path}")
      math(EXPR failed "${failed} + 1")
    endif()
  else()
    message(STATUS "Already gone: ${path}")
  endif()
  # The data folder is the one that holds applications/kaz-trainer.desktop.
  if(file MATCHES "^(.*)/applications/kaz-trainer\\.desktop$")
    set(datadir "${CMAKE_MATCH_1}")
  endif()
  get_filename_component(folder "${path}" DIRECTORY)
  list(APPEND folders "${folder}")
endforeach()

# Our own folders only, deepest first: share/kaz-trainer/lessons before share/kaz-trainer.
list(REMOVE_DUPLICATES folders)
foreach(folder IN LISTS folders)
  while(folder MATCHES "/kaz-trainer(/|$)")
    file(GLOB left LIST_DIRECTORIES true "${folder}/*" "${folder}/.*")
    if(NOT IS_DIRECTORY "${folder}" OR left)
      break()
    endif()
    message(STATUS "Removing folder ${folder}")
    file(REMOVE_RECURSE "${folder}") # found empty just now
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()

if(NOT datadir STREQUAL "")
  kaz_refresh_desktop_databases("${datadir}")
endif()
if(failed GREATER 0)
  message(FATAL_ERROR "${failed} installed files could not be removed")
endif()
