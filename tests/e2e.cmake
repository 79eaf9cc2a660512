# End-to-end cases: every folder under cases/ is one run of the real
# executable, checked by run_case.cmake (see there for the folder layout).
# A launcher in CMAKE_CROSSCOMPILING_EMULATOR (wine, say) is put in front of
# the executable.

set(vantrel_e2e_cases_dir "${CMAKE_CURRENT_LIST_DIR}/cases")
file(GLOB vantrel_e2e_cases LIST_DIRECTORIES true CONFIGURE_DEPENDS
     RELATIVE "${vantrel_e2e_cases_dir}" "${vantrel_e2e_cases_dir}/*")

if(WIN32)
  set(vantrel_e2e_platform windows)
else()
  set(vantrel_e2e_platform linux)
endif()

# The launcher is a list; passed on as one argument, its separators must
# survive the generated test file.
string(REPLACE ";" "$<SEMICOLON>" vantrel_e2e_emulator
       "${CMAKE_CROSSCOMPILING_EMULATOR}")

foreach(case IN LISTS vantrel_e2e_cases)
  set(case_dir "${vantrel_e2e_cases_dir}/${case}")
  if(NOT IS_DIRECTORY "${case_dir}")
    continue()
  endif()
  # A case that can only run on some platforms lists them in `platforms`.
  if(EXISTS "${case_dir}/platforms")
    file(STRINGS "${case_dir}/platforms" case_platforms)
    if(NOT vantrel_e2e_platform IN_LIST case_platforms)
      continue()
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 "${case_dir}/platforms")
  endif()
  add_test(NAME e2e.${case}
    COMMAND ${CMAKE_COMMAND}
      "-DVANTREL=$<TARGET_FILE:vantrel>"
      "-DEMULATOR=${vantrel_e2e_emulator}"
      "-DCASE_DIR=${case_dir}"
      "-DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/e2e/${case}"
      "-DPLATFORM=${vantrel_e2e_platform}"
      -P "${CMAKE_CURRENT_LIST_DIR}/run_case.cmake")
  set_tests_properties(e2e.${case} PROPERTIES TIMEOUT 300 LABELS e2e)
endforeach()
