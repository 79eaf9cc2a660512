# Runs one end-to-end case of vantrel and checks its results byte for byte.
#
#   cmake -DVANTREL=<executable> [-DEMULATOR=<launcher;args>]
#         -DCASE_DIR=<case folder> -DWORK_DIR=<scratch folder>
#         -DPLATFORM=<linux|windows> -P run_case.cmake
#
# A case folder holds the files the run starts with, and these control files:
#   args             the arguments, one per line, used verbatim (empty file:
#                    no arguments)
#   exit_code        the expected exit code
#   stdout           the expected standard output, byte for byte
#   stdout.windows   (optional) the same for PLATFORM=windows; without it,
#                    `stdout` with each LF turned into CR LF
#   absent           (optional) names, one per line, that must not exist
#                    after the run
#   platforms        (optional) the platforms the case is registered on
#   expected/        files that must exist after the run with these bytes
#   expected.windows/ (optional) files that replace those of expected/ for
#                    PLATFORM=windows. A file without a replacement is
#                    expected with each LF turned into CR LF (Windows text
#                    files), unless it is a starting file of the case that
#                    must stay as it was.
# Everything else in the case folder (files and sub-folders) is copied into
# WORK_DIR, which is emptied first; the executable runs there, with standard
# input read from an empty file so that its pause on errors returns at once.

cmake_minimum_required(VERSION 3.25)

foreach(var IN ITEMS VANTREL CASE_DIR WORK_DIR PLATFORM)
  if("${${var}}" STREQUAL "")
    message(FATAL_ERROR "run_case.cmake: -D${var}=... is required")
  endif()
endforeach()
if(NOT PLATFORM MATCHES "^(linux|windows)$")
  message(FATAL_ERROR "run_case.cmake: PLATFORM must be linux or windows, "
                      "not '${PLATFORM}'")
endif()
if(NOT IS_DIRECTORY "${CASE_DIR}")
  message(FATAL_ERROR "run_case.cmake: no case folder ${CASE_DIR}")
endif()

set(control_names args exit_code stdout stdout.windows absent platforms
                  expected expected.windows)

# ---------------------------------------------------------------------------
# Showing bytes.

# Turns hex digits (as file(READ ... HEX) gives them) into readable text:
# printable ASCII as is, LF as "\n" plus a real line break, everything else
# escaped.
function(hex_to_readable hex out_var)
  string(LENGTH "${hex}" n)
  set(text "")
  set(i 0)
  while(i LESS n)
    string(SUBSTRING "${hex}" ${i} 2 pair)
    math(EXPR code "0x${pair}")
    if(code EQUAL 10)
      string(APPEND text "\\n\n")
    elseif(code EQUAL 13)
      string(APPEND text "\\r")
    elseif(code EQUAL 9)
      string(APPEND text "\\t")
    elseif(code EQUAL 92)
      string(APPEND text "\\\\")
    elseif(code GREATER_EQUAL 32 AND code LESS 127)
      string(ASCII ${code} ch)
      string(APPEND text "${ch}")
    else()
      string(APPEND text "\\x${pair}")
    endif()
    math(EXPR i "${i} + 2")
  endwhile()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Offset (in bytes) of the first byte where two hex strings differ.
function(first_difference a b out_var)
  string(LENGTH "${a}" la)
  string(LENGTH "${b}" lb)
  if(la LESS lb)
    set(hi ${la})
  else()
    set(hi ${lb})
  endif()
  math(EXPR hi "${hi} / 2")
  set(lo 0)
  # Invariant: the first lo bytes agree; the first difference is <= hi.
  while(lo LESS hi)
    math(EXPR mid "(${lo} + ${hi} + 1) / 2")
    math(EXPR len "${mid} * 2")
    string(SUBSTRING "${a}" 0 ${len} pa)
    string(SUBSTRING "${b}" 0 ${len} pb)
    if(pa STREQUAL pb)
      set(lo ${mid})
    else()
      math(EXPR hi "${mid} - 1")
    endif()
  endwhile()
  set(${out_var} ${lo} PARENT_SCOPE)
endfunction()

# Describes how the bytes `actual_hex` differ from `expected_hex`.
function(describe_difference what expected_hex actual_hex out_var)
  string(LENGTH "${expected_hex}" le)
  string(LENGTH "${actual_hex}" la)
  math(EXPR le "${le} / 2")
  math(EXPR la "${la} / 2")
  first_difference("${expected_hex}" "${actual_hex}" at)
  set(report "${what}: differs at byte ${at} (expected ${le} bytes, got ${la})\n")
  if(le GREATER 600 OR la GREATER 600)
    # Only a window around the first difference.
    math(EXPR from "${at} - 48")
    if(from LESS 0)
      set(from 0)
    endif()
    math(EXPR from2 "${from} * 2")
    string(SUBSTRING "${expected_hex}" ${from2} 400 expected_hex)
    string(SUBSTRING "${actual_hex}" ${from2} 400 actual_hex)
    string(APPEND report "  (showing up to 200 bytes from byte ${from})\n")
  endif()
  hex_to_readable("${expected_hex}" expected_text)
  hex_to_readable("${actual_hex}" actual_text)
  string(APPEND report
    "---- expected ----\n${expected_text}\n---- got ----\n${actual_text}\n"
    "---- expected (hex) ----\n${expected_hex}\n"
    "---- got (hex) ----\n${actual_hex}\n------------\n")
  set(${out_var} "${report}" PARENT_SCOPE)
endfunction()

# Splits a text file into its lines (LF ends a line; a CR before it is
# dropped); empty lines are skipped.
function(read_name_list file out_var)
  file(READ "${file}" content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(names "")
  foreach(line IN LISTS lines)
    if(NOT line STREQUAL "")
      list(APPEND names "${line}")
    endif()
  endforeach()
  set(${out_var} "${names}" PARENT_SCOPE)
endfunction()

# Turns each LF byte of hex digits into CR LF, as Windows text mode writes.
function(hex_lf_to_crlf hex out_var)
  # One space after each byte keeps the match on byte boundaries.
  string(REGEX REPLACE "(..)" "\\1 " spaced "${hex}")
  string(REPLACE "0a " "0d0a" spaced "${spaced}")
  string(REPLACE " " "" result "${spaced}")
  set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

# ---------------------------------------------------------------------------
# The case.

foreach(required IN ITEMS args exit_code stdout)
  if(NOT EXISTS "${CASE_DIR}/${required}")
    message(FATAL_ERROR "${CASE_DIR}: the control file '${required}' is missing")
  endif()
endforeach()

# Arguments: one per line, verbatim. The line end after the last one is
# optional. Arguments travel as a CMake list, so a few characters can't be
# passed; a case that needs them fails here instead of running wrongly.
file(READ "${CASE_DIR}/args" args_text)
set(args "")
if(NOT args_text STREQUAL "")
  if(args_text MATCHES "[;\\[\\]]")
    message(FATAL_ERROR "${CASE_DIR}/args: ';', '[' and ']' can't be passed")
  endif()
  string(REGEX REPLACE "\n$" "" args_text "${args_text}")
  if(args_text STREQUAL "" OR args_text MATCHES "^\n|\n\n")
    message(FATAL_ERROR "${CASE_DIR}/args: empty arguments can't be passed")
  endif()
  string(REPLACE "\n" ";" args "${args_text}")
endif()

file(READ "${CASE_DIR}/exit_code" expected_exit_code)
string(STRIP "${expected_exit_code}" expected_exit_code)

set(stdout_file "${CASE_DIR}/stdout")
set(stdout_to_crlf FALSE)
if(PLATFORM STREQUAL "windows")
  if(EXISTS "${CASE_DIR}/stdout.windows")
    set(stdout_file "${CASE_DIR}/stdout.windows")
  else()
    set(stdout_to_crlf TRUE)
  endif()
endif()

# A fresh work folder holding the case's starting files.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(GLOB entries LIST_DIRECTORIES true RELATIVE "${CASE_DIR}" "${CASE_DIR}/*")
foreach(entry IN LISTS entries)
  if(NOT entry IN_LIST control_names)
    file(COPY "${CASE_DIR}/${entry}" DESTINATION "${WORK_DIR}")
  endif()
endforeach()

# Standard input and output live beside the work folder, not in it.
set(stdin_path "${WORK_DIR}.stdin")
set(stdout_path "${WORK_DIR}.stdout")
set(stderr_path "${WORK_DIR}.stderr")
file(WRITE "${stdin_path}" "")
file(REMOVE "${stdout_path}" "${stderr_path}")

execute_process(
  COMMAND ${EMULATOR} "${VANTREL}" ${args}
  WORKING_DIRECTORY "${WORK_DIR}"
  INPUT_FILE "${stdin_path}"
  OUTPUT_FILE "${stdout_path}"
  ERROR_FILE "${stderr_path}"
  RESULT_VARIABLE exit_code
  TIMEOUT 120)

set(failures "")

if(NOT exit_code STREQUAL expected_exit_code)
  string(APPEND failures
    "exit code: expected ${expected_exit_code}, got ${exit_code}\n")
endif()

file(READ "${stdout_file}" expected_hex HEX)
if(stdout_to_crlf)
  hex_lf_to_crlf("${expected_hex}" expected_hex)
endif()
file(READ "${stdout_path}" actual_hex HEX)
if(NOT actual_hex STREQUAL expected_hex)
  describe_difference("standard output (vs ${stdout_file})"
                      "${expected_hex}" "${actual_hex}" report)
  string(APPEND failures "${report}")
endif()

# Nothing goes to standard error. A launcher may print its own notes there,
# so this is checked only when the executable runs directly.
file(READ "${stderr_path}" stderr_hex HEX)
if(EMULATOR STREQUAL "" AND NOT stderr_hex STREQUAL "")
  hex_to_readable("${stderr_hex}" stderr_text)
  string(APPEND failures "standard error is not empty:\n${stderr_text}\n")
endif()

if(IS_DIRECTORY "${CASE_DIR}/expected")
  file(GLOB_RECURSE expected_files RELATIVE "${CASE_DIR}/expected"
       "${CASE_DIR}/expected/*")
  foreach(name IN LISTS expected_files)
    set(actual "${WORK_DIR}/${name}")
    if(NOT EXISTS "${actual}" OR IS_DIRECTORY "${actual}")
      string(APPEND failures "file ${name}: missing\n")
      continue()
    endif()
    set(expected_file "${CASE_DIR}/expected/${name}")
    file(READ "${expected_file}" expected_hex HEX)
    if(PLATFORM STREQUAL "windows")
      if(EXISTS "${CASE_DIR}/expected.windows/${name}")
        set(expected_file "${CASE_DIR}/expected.windows/${name}")
        file(READ "${expected_file}" expected_hex HEX)
      else()
        set(unchanged_input FALSE)
        if(EXISTS "${CASE_DIR}/${name}" AND NOT IS_DIRECTORY "${CASE_DIR}/${name}")
          file(READ "${CASE_DIR}/${name}" start_hex HEX)
          if(start_hex STREQUAL expected_hex)
            set(unchanged_input TRUE)
          endif()
        endif()
        if(NOT unchanged_input)
          hex_lf_to_crlf("${expected_hex}" expected_hex)
          set(expected_file "${expected_file} with CR LF")
        endif()
      endif()
    endif()
    file(READ "${actual}" actual_hex HEX)
    if(NOT actual_hex STREQUAL expected_hex)
      describe_difference("file ${name} (vs ${expected_file})"
                          "${expected_hex}" "${actual_hex}" report)
      string(APPEND failures "${report}")
    endif()
  endforeach()
endif()

if(EXISTS "${CASE_DIR}/absent")
  read_name_list("${CASE_DIR}/absent" absent_names)
  foreach(name IN LISTS absent_names)
    if(EXISTS "${WORK_DIR}/${name}" OR IS_SYMLINK "${WORK_DIR}/${name}")
      string(APPEND failures "${name}: exists but must not\n")
    endif()
  endforeach()
endif()

if(NOT failures STREQUAL "")
  string(REPLACE ";" " " command_line "${EMULATOR};${VANTREL};${args}")
  string(STRIP "${command_line}" command_line)
  # The details go out verbatim; FATAL_ERROR would reflow them.
  message("ran: ${command_line}\n  in ${WORK_DIR}\n${failures}")
  message(FATAL_ERROR "case ${CASE_DIR} failed")
endif()
message(STATUS "case ${CASE_DIR}: passed")
