# SPDX-License-Identifier: MIT
# Fails the build when the loader's object needs a symbol from elsewhere or has
# code outside the boot section: either would run from the application section,
# which the loader erases while it replaces the firmware.
execute_process(COMMAND ${NM} -u ${OBJ} OUTPUT_VARIABLE undefined OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT undefined STREQUAL "")
  message(FATAL_ERROR "The loader needs symbols from outside the boot section:\n${undefined}")
endif()
execute_process(COMMAND ${NM} --defined-only --format=sysv ${OBJ} OUTPUT_VARIABLE table)
string(REPLACE "\n" ";" rows "${table}")
foreach(row IN LISTS rows)
  if(row MATCHES "\\|[ ]*FUNC\\|" AND NOT row MATCHES "\\|\\.boot[ ]*$")
    message(FATAL_ERROR "Loader code outside the boot section: ${row}")
  endif()
endforeach()
