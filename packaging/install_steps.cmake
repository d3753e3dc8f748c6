# Steps that run at install time, when the prefix is known (cmake --install --prefix ...).

# kaz_write_desktop_entry(<template> <output> <launcher path>)
# Fills the start script's absolute path into the menu entry. Exec takes it as a quoted
# argument (with ", `, $ and \ escaped by a backslash, % doubled); both keys are strings, in
# which a backslash is written twice.
function(kaz_write_desktop_entry template output launcher)
  set(quoted "${launcher}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  string(REPLACE "\"" "\\\"" quoted "${quoted}")
  string(REPLACE "`" "\\`" quoted "${quoted}")
  string(REPLACE "$" "\\$" quoted "${quoted}")
  string(REPLACE "%" "%%" quoted "${quoted}")
  string(REPLACE "\\" "\\\\" KAZ_LAUNCHER_EXEC "${quoted}")
  string(REPLACE "\\" "\\\\" KAZ_LAUNCHER "${launcher}")
  configure_file("${template}" "${output}" @ONLY)
endfunction()

# kaz_refresh_desktop_databases(<data folder>)
# Compiles the MIME database and the desktop entries' type index of the data folder, so that
# the lesson type and the trainer as its program are known at once, as a package's triggers
# would do. Skipped in a packager's staging folder (DESTDIR) and where the tools are missing.
function(kaz_refresh_desktop_databases datadir)
  if(NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
  endif()
  find_program(kaz_update_mime update-mime-database)
  if(kaz_update_mime)
    message(STATUS "Updating the MIME database in ${datadir}/mime")
    execute_process(COMMAND "${kaz_update_mime}" "${datadir}/mime" OUTPUT_QUIET ERROR_QUIET)
  endif()
  find_program(kaz_update_desktop update-desktop-database)
  if(kaz_update_desktop)
    message(STATUS "Updating the desktop entry index in ${datadir}/applications")
    execute_process(COMMAND "${kaz_update_desktop}" "${datadir}/applications"
                    OUTPUT_QUIET ERROR_QUIET)
  endif()
endfunction()
