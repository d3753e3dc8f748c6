# Fills the menu entry with start-script paths, plain ones (which stand bare in Exec, as generic
# xdg-open needs) and ones that need quoting and escaping, and compares Exec and TryExec with
# what a launcher must read to start exactly that file; desktop-file-validate, where it is
# installed, checks each entry too.
#   cmake -DSOURCE_DIR=<source> -DWORK_DIR=<scratch folder> -P desktop_entry_test.cmake
include(${SOURCE_DIR}/packaging/install_steps.cmake)
find_program(validator desktop-file-validate)
file(MAKE_DIRECTORY "${WORK_DIR}")

# name | start-script path | Exec value | TryExec value   (rows separated by ";")
set(rows
  "plain|/usr/libexec/kaz-trainer/kaz-trainer-start|/usr/libexec/kaz-trainer/kaz-trainer-start %f|/usr/libexec/kaz-trainer/kaz-trainer-start"
  "plain_marks|/opt/kaz_1.0+b,x@y:z-w/start|/opt/kaz_1.0+b,x@y:z-w/start %f|/opt/kaz_1.0+b,x@y:z-w/start"
  "non_ascii|/home/jürgen/.local/libexec/start|/home/jürgen/.local/libexec/start %f|/home/jürgen/.local/libexec/start"
  "tilde|/opt/~kaz/start|\"/opt/~kaz/start\" %f|/opt/~kaz/start"
  "single_quote|/opt/o'brien/start|\"/opt/o'brien/start\" %f|/opt/o'brien/start"
  "blank|/home/eva maria/.local/libexec/start|\"/home/eva maria/.local/libexec/start\" %f|/home/eva maria/.local/libexec/start"
  "dollar|/opt/$HOME/start|\"/opt/\\\\$HOME/start\" %f|/opt/$HOME/start"
  "double_quote|/opt/\"q\"/start|\"/opt/\\\\\"q\\\\\"/start\" %f|/opt/\"q\"/start"
  "backquote|/opt/`q`/start|\"/opt/\\\\`q\\\\`/start\" %f|/opt/`q`/start"
  "backslash|/opt/a\\b/start|\"/opt/a\\\\\\\\b/start\" %f|/opt/a\\\\b/start"
  "percent|/opt/100%/start|\"/opt/100%%/start\" %f|/opt/100%/start"
)

set(failures 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 launcher)
  list(GET fields 2 exec)
  list(GET fields 3 tryexec)
  set(out "${WORK_DIR}/${name}.desktop")
  kaz_write_desktop_entry("${SOURCE_DIR}/packaging/kaz-trainer.desktop.in" "${out}" "${launcher}")
  file(STRINGS "${out}" got_exec REGEX "^Exec=" ENCODING UTF-8)
  file(STRINGS "${out}" got_tryexec REGEX "^TryExec=" ENCODING UTF-8)
  if(NOT got_exec STREQUAL "Exec=${exec}")
    message(SEND_ERROR "${name}: got '${got_exec}', expected 'Exec=${exec}'")
    math(EXPR failures "${failures} + 1")
  endif()
  if(NOT got_tryexec STREQUAL "TryExec=${tryexec}")
    message(SEND_ERROR "${name}: got '${got_tryexec}', expected 'TryExec=${tryexec}'")
    math(EXPR failures "${failures} + 1")
  endif()
  if(validator)
    execute_process(COMMAND "${validator}" "${out}" RESULT_VARIABLE rc OUTPUT_VARIABLE said
                    ERROR_VARIABLE said)
    if(NOT rc EQUAL 0)
      message(SEND_ERROR "${name}: desktop-file-validate: ${said}")
      math(EXPR failures "${failures} + 1")
    endif()
  endif()
endforeach()
list(LENGTH rows count)
message(STATUS "desktop entry: ${count} paths, ${failures} failures")
