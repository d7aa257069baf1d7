# Writes the generated header that carries the version text and the maker's
# credit into C++ string literals (quotes and backslashes escaped).
function(vandrix_c_string out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

set(VANDRIX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
vandrix_c_string(VANDRIX_MAKER_NAME_C "${VANDRIX_MAKER_NAME}")
vandrix_c_string(VANDRIX_MAKER_NOTICE_C "${VANDRIX_MAKER_NOTICE}")
vandrix_c_string(VANDRIX_MAKER_WEBSITE_C "${VANDRIX_MAKER_WEBSITE}")
configure_file(${CMAKE_SOURCE_DIR}/usage/vandrix_identity.h.in
               ${VANDRIX_GENERATED_DIR}/vandrix_identity.h @ONLY)
