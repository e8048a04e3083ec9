# Debian's hardening for the optimised builds on Linux (Release and the like,
# which `make package` packages): the flags of dpkg-buildflags with every
# hardening feature, immediate binding included, less its optimisation level
# and debug information, which stay the build type's. They protect the stack,
# fortify the C library's functions and make relocations read-only; they do
# not change a floating-point result (the golden files and the stage probe
# compare every output byte). Nothing is added without dpkg-buildflags, in the
# Windows cross build or with RUK_DEBIAN_HARDENING=OFF.
# RUK_HARDENED_BUILD is a generator expression: 1 in a build that has the flags.
set(RUK_HARDENED_BUILD 0)
option(RUK_DEBIAN_HARDENING "Compile and link the optimised builds with dpkg-buildflags' hardening" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT RUK_DEBIAN_HARDENING OR NOT DPKG_BUILDFLAGS OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR CMAKE_CROSSCOMPILING)
  return()
endif()

function(ruk_dpkg_buildflags variable kind)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}  # for -ffile-prefix-map
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-[Og]")
  set(${variable} "${flags}" PARENT_SCOPE)
endfunction()

ruk_dpkg_buildflags(cppflags CPPFLAGS)
ruk_dpkg_buildflags(cxxflags CXXFLAGS)
ruk_dpkg_buildflags(ldflags LDFLAGS)
set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
add_compile_options("$<${optimised}:${cppflags};${cxxflags}>")
add_link_options("$<${optimised}:${ldflags}>")
set(RUK_HARDENED_BUILD "${optimised}")
string(JOIN " " shown ${cppflags} ${cxxflags} ${ldflags})
message(STATUS "Hardening of the optimised builds (dpkg-buildflags): ${shown}")
