# Writes the manual page of PROGRAM to PAGE (and PAGE.gz when GZIP is set): the program prints it
# with --manpage from the same texts as its --help.
execute_process(COMMAND ${PROGRAM} --manpage OUTPUT_FILE ${PAGE}.new RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${PAGE}.new)
  message(FATAL_ERROR "${PROGRAM} --manpage failed: ${status}")
endif()
file(RENAME ${PAGE}.new ${PAGE})
if(GZIP)
  # -n leaves out the name and time, so the same page gives the same file.
  execute_process(COMMAND ${GZIP} -9nf ${PAGE} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${PAGE} failed: ${status}")
  endif()
endif()
