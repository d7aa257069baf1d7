# The distribution's hardening flags for the Linux build: fortified C
# library calls, the stack protector, and relocations made read-only and
# bound at start (relro, bind-now), as dpkg-buildflags gives them with every
# hardening feature on. Its optimisation, debugging and path-mapping flags
# are left out: the build type and the project set their own. The Windows
# builds, and the sanitizer and fuzzing presets, go without
# (VANDRIX_HARDENING OFF).
option(VANDRIX_HARDENING "Build with the distribution's hardening flags (dpkg-buildflags)" ON)
if(WIN32 OR NOT VANDRIX_HARDENING)
  return()
endif()
find_program(VANDRIX_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VANDRIX_DPKG_BUILDFLAGS)
  message(WARNING "dpkg-buildflags is missing: vandrix is built without the distribution's "
                  "hardening flags")
  return()
endif()

# The flags of `variable` (CPPFLAGS, CXXFLAGS, CFLAGS, LDFLAGS) as a list,
# each wrapped in `wrap` ("$<...:FLAG>"; FLAG alone when empty).
function(vandrix_buildflags out variable wrap)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${VANDRIX_DPKG_BUILDFLAGS} --get ${variable}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-g|^-O|-prefix-map=")
  if(wrap)
    list(TRANSFORM flags REPLACE "^(.+)$" "${wrap}")
  endif()
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

vandrix_buildflags(cppflags CPPFLAGS "")
vandrix_buildflags(cxxflags CXXFLAGS "$<$<COMPILE_LANGUAGE:CXX>:\\1>")
vandrix_buildflags(cflags CFLAGS "$<$<COMPILE_LANGUAGE:C>:\\1>")
vandrix_buildflags(ldflags LDFLAGS "")
add_compile_options(${cppflags} ${cxxflags} ${cflags})
add_link_options(${ldflags})
