# kaz-trainer --convert IN OUT in a folder of its own, without any display: a table with one
# row a lesson cannot hold becomes the lesson of the other rows, with status 1 and the row
# named on stderr; the settings file is not written; a wrong call ends with status 2, and so
# does a conversion that would write over its input or would write nothing but an empty file.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(table "Haus;house\nЖук;beetle\nBaum;tree\n")
file(WRITE ${WORK_DIR}/liste.csv "${table}")
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

# Converts in to out, expecting status 2 with stderr matching err_pattern and no file out.
function(refused_conversion in out err_pattern)
  execute_process(COMMAND ${no_display} ${TRAINER} --convert ${in} ${out}
                  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 2 OR NOT err MATCHES "${err_pattern}")
    message(FATAL_ERROR "--convert ${in} ${out}: status ${status}, expected 2; stderr: ${err}")
  endif()
endfunction()

# The output is the input itself, under its own name or another: refused before anything is
# written, so the row the lesson could not take is still in the table.
file(CREATE_LINK liste.csv ${WORK_DIR}/symbolisch.csv SYMBOLIC)
file(CREATE_LINK ${WORK_DIR}/liste.csv ${WORK_DIR}/hart.csv)
foreach(out liste.csv ./liste.csv ${WORK_DIR}/liste.csv symbolisch.csv hart.csv)
  refused_conversion(liste.csv ${out} "liste.csv und ${out} sind dieselbe Datei")
  file(READ ${WORK_DIR}/liste.csv kept)
  if(NOT kept STREQUAL table)
    message(FATAL_ERROR "--convert liste.csv ${out} changed the input: ${kept}")
  endif()
endforeach()

# Nothing taken: no output at all, rather than an empty lesson or table.
file(WRITE ${WORK_DIR}/leer.csv "")
file(WRITE ${WORK_DIR}/kyrillisch.csv "Жук;жук\n")
execute_process(COMMAND printf "vtfile\\000" OUTPUT_FILE ${WORK_DIR}/magie.lsn)
foreach(case "leer.csv;leer.lsn" "kyrillisch.csv;kyrillisch.lsn" "magie.lsn;magie.csv")
  list(GET case 0 in)
  list(GET case 1 out)
  refused_conversion(${in} ${out} "${in}: nichts zu übernehmen, ${out} nicht geschrieben")
  if(EXISTS ${WORK_DIR}/${out})
    message(FATAL_ERROR "--convert ${in} ${out} wrote ${out}")
  endif()
endforeach()
