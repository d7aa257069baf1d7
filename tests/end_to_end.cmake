# End-to-end tests: the real program on real files, checked on disk and by
# its exit code. The Windows builds run Vandrix.exe under the Wine of the
# `wine` fixture, started by vxrun.exe, which passes an exact raw command
# line and prints the full 32-bit exit code; the native build runs vandrix.
set(vandrix_caption "${VANDRIX_MAKER_NOTICE} - ${VANDRIX_MAKER_WEBSITE}")

if(WIN32)
  add_executable(vxrun runner.c)
  target_link_options(vxrun PRIVATE -static)

  if(CMAKE_CROSSCOMPILING)
    add_test(NAME end_to_end
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/end_to_end.sh
        ${VANDRIX_WINE_ROOT} ${VANDRIX_WINE_ARCH}
        $<TARGET_FILE:vandrix> $<TARGET_FILE:vxrun>)
    add_test(NAME usage_box
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/usage_box.sh
        ${VANDRIX_WINE_ROOT} ${VANDRIX_WINE_ARCH}
        $<TARGET_FILE:vandrix> $<TARGET_FILE:vxrun>
        ${CMAKE_BINARY_DIR}/artifacts "${vandrix_caption}")
    # Hostile raw command lines: the longest line, every byte, open quotes,
    # thousands of arguments and ";" segments, paths past MAX_PATH.
    add_test(NAME hostile
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/hostile.sh
        ${VANDRIX_WINE_ROOT} ${VANDRIX_WINE_ARCH}
        $<TARGET_FILE:vandrix> $<TARGET_FILE:vxrun>)
    set_tests_properties(end_to_end usage_box hostile PROPERTIES
      FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77 TIMEOUT 600)
  endif()
elseif(UNIX)
  add_test(NAME end_to_end
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/end_to_end_posix.sh
      $<TARGET_FILE:vandrix> ${CMAKE_CURRENT_BINARY_DIR}/end-to-end
      "${vandrix_caption}")
  set_tests_properties(end_to_end PROPERTIES TIMEOUT 300)
endif()
