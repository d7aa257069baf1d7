# Vandrix.exe's icon, version record and application manifest:
# resources/vandrix.rc.in and resources/vandrix.manifest.in, configured here
# and compiled by windres into the program only (not into the tests).
enable_language(RC)

# An RC string doubles a quote and escapes a backslash.
function(vandrix_rc_string out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\"\"" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

vandrix_rc_string(VANDRIX_MAKER_NAME_RC "${VANDRIX_MAKER_NAME}")
vandrix_rc_string(VANDRIX_MAKER_NOTICE_RC "${VANDRIX_MAKER_NOTICE}")
vandrix_rc_string(VANDRIX_MAKER_WEBSITE_RC "${VANDRIX_MAKER_WEBSITE}")
set(VANDRIX_RC_ICON ${CMAKE_SOURCE_DIR}/resources/vandrix.ico)
vandrix_rc_string(VANDRIX_RC_ICON "${VANDRIX_RC_ICON}")

set(VANDRIX_MANIFEST ${VANDRIX_GENERATED_DIR}/vandrix.manifest)
configure_file(${CMAKE_SOURCE_DIR}/resources/vandrix.manifest.in ${VANDRIX_MANIFEST} @ONLY)
vandrix_rc_string(VANDRIX_RC_MANIFEST "${VANDRIX_MANIFEST}")

set(VANDRIX_RC ${VANDRIX_GENERATED_DIR}/vandrix.rc)
configure_file(${CMAKE_SOURCE_DIR}/resources/vandrix.rc.in ${VANDRIX_RC} @ONLY)
set_source_files_properties(${VANDRIX_RC} PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/vandrix.ico;${VANDRIX_MANIFEST}")
target_sources(vandrix PRIVATE ${VANDRIX_RC})
