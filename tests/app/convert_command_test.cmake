# kaz-trainer --convert IN OUT in a folder of its own, without any display: a table with one
# row a lesson cannot hold becomes the lesson of the other rows, with status 1 and the row
# named on stderr; the settings file is not written; a wrong call ends with status 2.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/liste.csv "Haus;house\nЖук;beetle\nBaum;tree\n")
set(no_display ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)

execute_process(COMMAND ${no_display} ${TRAINER} --convert liste.csv liste.lsn
                WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "status ${status}, expected 1; stderr: ${err}")
endif()
if(NOT err MATCHES "liste.csv: Zeile 2: Zeichen „Ж“ \\(U\\+0416\\) kann in einer Lektion nicht stehen")
  message(FATAL_ERROR "stderr: ${err}")
endif()
file(READ ${WORK_DIR}/liste.lsn lesson HEX)
# vtfile\0Haus\0house\0Baum\0tree\0
if(NOT lesson STREQUAL "767466696c65004861757300686f757365004261756d007472656500")
  message(FATAL_ERROR "lesson bytes ${lesson}")
endif()
if(EXISTS ${WORK_DIR}/DODADIZE.CFG)
  message(FATAL_ERROR "the converter wrote the settings file")
endif()

execute_process(COMMAND ${no_display} ${TRAINER} --convert liste.csv
                WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT err MATCHES "Aufruf: kaz-trainer --convert EINGABE AUSGABE")
  message(FATAL_ERROR "wrong call: status ${status}, stderr: ${err}")
endif()
