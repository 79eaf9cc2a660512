# Fault cases that a case folder can't express (closed and broken standard
# streams, permissions, links, inputs generated at test time): one CTest test
# per case_ function of fault_cases.sh. They need a POSIX shell and its tools,
# so they run on Linux only.

if(WIN32)
  return()
endif()

set(vantrel_fault_script "${CMAKE_CURRENT_LIST_DIR}/fault_cases.sh")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${vantrel_fault_script}")
file(STRINGS "${vantrel_fault_script}" vantrel_fault_lines
     REGEX "^case_[a-z0-9_]+\\(\\) {$")
foreach(line IN LISTS vantrel_fault_lines)
  string(REGEX REPLACE "^case_([a-z0-9_]+)\\(\\) {$" "\\1" case "${line}")
  add_test(NAME fault.${case}
    COMMAND bash "${vantrel_fault_script}" "$<TARGET_FILE:vantrel>"
      "${CMAKE_CURRENT_LIST_DIR}/cases"
      "${CMAKE_CURRENT_BINARY_DIR}/faults/${case}" "${case}")
  # 77: the case can't be made here (the reason is in its output).
  set_tests_properties(fault.${case} PROPERTIES
    TIMEOUT 300 LABELS fault SKIP_RETURN_CODE 77)
endforeach()
