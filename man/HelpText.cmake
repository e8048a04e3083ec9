# ruk_help_text(<target> <page>): the manual page <page> is the one source of
# the program's --help text. At build time man2help.cmake renders it to the
# header "<target>_help.h", which defines help::kText and which <target> may
# include.
set(RUK_MAN2HELP ${CMAKE_CURRENT_LIST_DIR}/man2help.cmake)

function(ruk_help_text target page)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/help)
  set(header ${dir}/${target}_help.h)
  add_custom_command(OUTPUT ${header}
    COMMAND ${CMAKE_COMMAND} -DMANPAGE=${page} -DHEADER=${header} -P ${RUK_MAN2HELP}
    DEPENDS ${page} ${RUK_MAN2HELP}
    COMMENT "Rendering the --help text of ${target} from its manual page"
    VERBATIM)
  target_sources(${target} PRIVATE ${header})
  target_include_directories(${target} PRIVATE ${dir})
endfunction()
