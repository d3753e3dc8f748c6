# kaz-trainer's own options without any display, as a script calls them: --help and --version
# answer on standard output with status 0; another option, also after a file name, is refused
# with the usage on standard error and status 2. None of them writes the settings file.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(no_display ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)

function(expect_run status out_pattern err_pattern)
  execute_process(COMMAND ${no_display} ${TRAINER} ${ARGN} WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE got OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
  if(NOT got STREQUAL status OR NOT out MATCHES "${out_pattern}" OR NOT err MATCHES "${err_pattern}")
    message(FATAL_ERROR "kaz-trainer ${ARGN}: status ${got}, expected ${status}\n"
                        "stdout: ${out}\nstderr: ${err}")
  endif()
  if(EXISTS ${WORK_DIR}/DODADIZE.CFG)
    message(FATAL_ERROR "kaz-trainer ${ARGN} wrote the settings file")
  endif()
endfunction()

string(REPLACE "." "\\." version ${VERSION})
set(usage "Aufruf: kaz-trainer \\[DATEI\\]\n")
expect_run(0 "^${usage}.*--convert EINGABE AUSGABE" "^$" --help)
expect_run(0 "^KAZ-TRAINER ${version}\n$" "^$" --version)
expect_run(0 "^KAZ-TRAINER ${version}\n$" "^$" liste.lsn --version)
expect_run(2 "^$" "^kaz-trainer: unbekannte Option --HELP\n${usage}" --HELP)
expect_run(2 "^$" "^kaz-trainer: unbekannte Option --neu\n${usage}" liste.lsn --neu)
# Qt's own options, with one dash or two, are Qt's: passed on with their values, never refused.
expect_run(2 "^$" "^kaz-trainer: unbekannte Option --neu\n${usage}" --platform offscreen --style Fusion --neu)
expect_run(0 "^KAZ-TRAINER ${version}\n$" "^$" --style=Fusion -reverse --version)
expect_run(2 "^$" "^kaz-trainer: unbekannte Option --style\n${usage}" liste.lsn --style)
