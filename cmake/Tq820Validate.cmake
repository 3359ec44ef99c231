# Runs both validators; any complaint beyond a hint or an info fails the test.
foreach(check "${DESKTOP_FILE_VALIDATE};${DESKTOP}" "${APPSTREAMCLI};validate;--no-net;--pedantic;${METAINFO}")
  execute_process(COMMAND ${check} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message("${out}")
  if(NOT rc EQUAL 0 OR "\n${out}" MATCHES "(error|warning): |\n[EW]: ")
    message(FATAL_ERROR "failed: ${check}")
  endif()
endforeach()
