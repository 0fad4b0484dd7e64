# SPDX-License-Identifier: MIT
# The manual pages, section 1: the version and the date of the newest changelog
# entry filled in, then compressed as Debian wants them (gzip -n leaves out the
# name and time stamp, so the same page gives the same bytes).
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog kv_trailers REGEX "^ -- ")
list(GET kv_trailers 0 kv_trailer)
if(NOT kv_trailer MATCHES ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: no date in \"${kv_trailer}\"")
endif()
set(kv_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND kv_months ${CMAKE_MATCH_2} kv_month)
math(EXPR kv_month "${kv_month} + 1")
math(EXPR kv_day "${CMAKE_MATCH_1}")
foreach(n kv_month kv_day)
  if(${n} LESS 10)
    set(${n} 0${${n}})
  endif()
endforeach()
set(KV_MAN_DATE ${CMAKE_MATCH_3}-${kv_month}-${kv_day})

set(kv_man_pages)
foreach(page kelvaro kelvaro-cli kelvaro-sim)
  set(plain ${CMAKE_BINARY_DIR}/man/${page}.1)
  configure_file(${CMAKE_SOURCE_DIR}/data/man/${page}.1.in ${plain} @ONLY)
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND gzip -n -9 -c ${plain} > ${plain}.gz
    DEPENDS ${plain})
  list(APPEND kv_man_pages ${plain}.gz)
endforeach()
add_custom_target(kv_man ALL DEPENDS ${kv_man_pages})
install(FILES ${kv_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
