# kaz-trainer --convert IN OUT in a folder of its own, without any display: a table with one
# row a lesson cannot hold becomes the lesson of the other rows, with status 1 and the row
# named on stderr; the settings file is not written; a wrong call ends with status 2, and so
# does a conversion that would write over its input or would write nothing but an empty file.
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

# Converts in to out, expecting status 2, stderr matching err_pattern and out as it was.
function(refused_conversion in out err_pattern)
  set(before "absent")
  if(EXISTS ${WORK_DIR}/${out})
    file(READ ${WORK_DIR}/${out} before)
  endif()
  execute_process(COMMAND ${no_display} ${TRAINER} --convert ${in} ${out}
                  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status ERROR_VARIABLE err)
  set(after "absent")
  if(EXISTS ${WORK_DIR}/${out})
    file(READ ${WORK_DIR}/${out} after)
  endif()
  if(NOT status EQUAL 2 OR NOT err MATCHES "${err_pattern}" OR NOT after STREQUAL before)
    message(FATAL_ERROR "--convert ${in} ${out}: status ${status}, expected 2; stderr: ${err}; "
                        "${out} before: ${before}, after: ${after}")
  endif()
endfunction()

# The output is the input itself, under its own name or another: refused before anything is
# written, so the row the lesson could not take is still in the table.
file(CREATE_LINK liste.csv ${WORK_DIR}/symbolisch.csv SYMBOLIC)
file(CREATE_LINK ${WORK_DIR}/liste.csv ${WORK_DIR}/hart.csv)
foreach(out liste.csv ./liste.csv symbolisch.csv hart.csv)
  refused_conversion(liste.csv ${out} "liste.csv und ${out} sind dieselbe Datei")
endforeach()

# Nothing taken: no output at all, rather than an empty lesson or table.
file(WRITE ${WORK_DIR}/leer.csv "")
file(WRITE ${WORK_DIR}/kyrillisch.csv "Жук;жук\n")
execute_process(COMMAND printf "vtfile\\000" OUTPUT_FILE ${WORK_DIR}/magie.lsn)
foreach(in_out leer.csv:leer.lsn kyrillisch.csv:kyrillisch.lsn magie.lsn:magie.csv)
  string(REPLACE ":" ";" in_out ${in_out})
  list(GET in_out 0 in)
  list(GET in_out 1 out)
  refused_conversion(${in} ${out} "${in}: nichts zu übernehmen, ${out} nicht geschrieben")
endforeach()
