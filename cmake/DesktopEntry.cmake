# Installs a program's menu entry and AppStream data, each named after the
# program's application id, from two templates:
#
#   corvane_install_desktop_entry(APP_ID org.corvane.Corvane PROGRAM corvane
#       DESKTOP org.corvane.Corvane.desktop.in METAINFO org.corvane.Corvane.metainfo.xml.in)
#
# The templates see @APP_ID@, @PROGRAM@ and the variables of the calling
# directory. The entry's Exec=@EXEC@ is settled at install time, once the
# prefix is known (cmake --install --prefix): the bare program name under /usr
# and /usr/local, whose bin folders are on every PATH, else the full path of
# the installed program, since a stock desktop does not look in ~/.local/bin.
if(DEFINED corvane_entry) # this file, run by the install step
  cmake_path(ABSOLUTE_PATH corvane_entry_bindir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}"
             NORMALIZE OUTPUT_VARIABLE bindir)
  if(bindir MATCHES "^/usr(/local)?/bin/?$")
    set(EXEC "${corvane_entry_program}")
  else()
    # The entry's own rules: % doubled; an argument with any other character
    # quoted, with \ before " ` $ \ inside the quotes, then every \ doubled.
    string(REPLACE "%" "%%" EXEC "${bindir}/${corvane_entry_program}")
    if(NOT EXEC MATCHES "^[A-Za-z0-9/._+%-]+$")
      string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" EXEC "${EXEC}")
      string(REPLACE "\\" "\\\\" EXEC "${EXEC}")
      set(EXEC "\"${EXEC}\"")
    endif()
  endif()
  configure_file("${corvane_entry}.in" "${corvane_entry}" @ONLY)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${corvane_entry_datadir}/applications"
       TYPE FILE FILES "${corvane_entry}")
  return()
endif()

include(GNUInstallDirs)

function(corvane_install_desktop_entry)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "APP_ID;PROGRAM;DESKTOP;METAINFO" "")
  set(APP_ID ${arg_APP_ID})
  set(PROGRAM ${arg_PROGRAM})
  set(EXEC "@EXEC@") # left for the install step
  set(entry ${CMAKE_CURRENT_BINARY_DIR}/${APP_ID}.desktop)
  configure_file(${arg_DESKTOP} ${entry}.in @ONLY)
  configure_file(${arg_METAINFO} ${CMAKE_CURRENT_BINARY_DIR}/${APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(CODE "set(corvane_entry [[${entry}]])
    set(corvane_entry_program [[${PROGRAM}]])
    set(corvane_entry_bindir [[${CMAKE_INSTALL_BINDIR}]])
    set(corvane_entry_datadir [[${CMAKE_INSTALL_DATADIR}]])
    include([[${CMAKE_CURRENT_FUNCTION_LIST_FILE}]])
    unset(corvane_entry)")
endfunction()
