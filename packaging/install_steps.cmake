# Steps that run at install time, when the prefix is known (cmake --install --prefix ...).

# kaz_exec_word(<program path> <variable>)
# The program's path as the first word of an Exec key. A path of letters, digits, "/._+,@:-"
# and non-ASCII bytes stands bare: generic xdg-open (a desktop it does not know) takes the first
# word as it stands, quotes included, and would find no such program. Any other path is quoted,
# with ", `, $ and \ escaped by a backslash and % doubled, as the Desktop Entry rules say; such
# a path works with gio, GNOME and KDE, not with generic xdg-open.
function(kaz_exec_word program out_var)
  string(REGEX REPLACE "[A-Za-z0-9/._+,@:-]" "" rest "${program}")
  set(bare TRUE)
  if(program STREQUAL "")
    set(bare FALSE)
  endif()
  string(HEX "${rest}" hex)
  string(REGEX MATCHALL ".." bytes "${hex}")
  foreach(byte IN LISTS bytes)
    if(byte STRLESS "80")
      set(bare FALSE)
    endif()
  endforeach()
  if(bare)
    set(${out_var} "${program}" PARENT_SCOPE)
    return()
  endif()
  set(quoted "${program}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  string(REPLACE "\"" "\\\"" quoted "${quoted}")
  string(REPLACE "`" "\\`" quoted "${quoted}")
  string(REPLACE "$" "\\$" quoted "${quoted}")
  string(REPLACE "%" "%%" quoted "${quoted}")
  set(${out_var} "\"${quoted}\"" PARENT_SCOPE)
endfunction()

# kaz_write_desktop_entry(<template> <output> <program path>)
# Fills the program's absolute path into a menu entry: @KAZ_PROGRAM_EXEC@ as the first word of
# Exec (see kaz_exec_word), @KAZ_PROGRAM@ as TryExec. Both keys are strings, in which a
# backslash is written twice.
function(kaz_write_desktop_entry template output program)
  kaz_exec_word("${program}" word)
  string(REPLACE "\\" "\\\\" KAZ_PROGRAM_EXEC "${word}")
  string(REPLACE "\\" "\\\\" KAZ_PROGRAM "${program}")
  configure_file("${template}" "${output}" @ONLY)
endfunction()

# kaz_write_installed_entry(<template> <output> <program path>)
# kaz_write_desktop_entry for a program path that may be relative to the install prefix.
function(kaz_write_installed_entry template output program)
  kaz_installed_path(program "${program}")
  kaz_write_desktop_entry("${template}" "${output}" "${program}")
endfunction()

# kaz_installed_path(<variable> <path>)
# The absolute path of an installed file or folder: a path relative to the install prefix is
# put under it.
function(kaz_installed_path out_var path)
  if(NOT IS_ABSOLUTE "${path}")
    set(path "${CMAKE_INSTALL_PREFIX}/${path}")
  endif()
  set(${out_var} "${path}" PARENT_SCOPE)
endfunction()

# kaz_write_gzipped(<gzip program> <template> <output.gz>)
# Fills the caller's @VARIABLES@ into the template and compresses the result with gzip -9n.
function(kaz_write_gzipped gzip template output)
  string(REGEX REPLACE "\\.gz$" "" plain "${output}")
  configure_file("${template}" "${plain}" @ONLY)
  execute_process(COMMAND "${gzip}" -9nc INPUT_FILE "${plain}" OUTPUT_FILE "${output}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Could not compress ${plain}: ${status}")
  endif()
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
