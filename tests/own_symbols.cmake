# Checks that the files compiled for wider instruction sets (trim_avx2.cc,
# trim_avx512.cc) define no function other than their searches. Anything
# else they define, say an inline function of a header, other files may
# define too, and the linker keeps one copy for all: if it kept the one
# compiled for AVX-512, code that runs on every processor would fault on one
# without it. At low optimisation levels the compilers emit such copies.
#   cmake -DNM=<nm> -DOBJECTS=<object|object|...> -P own_symbols.cmake
string(REPLACE "|" ";" objects "${OBJECTS}")
set(checked 0)
foreach(object IN LISTS objects)
  if(NOT object MATCHES "trim_avx[0-9]*\\.cc\\.o(bj)?$")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  execute_process(COMMAND "${NM}" --defined-only "${object}"
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} failed on ${object}")
  endif()
  string(REPLACE "\n" ";" lines "${symbols}")
  foreach(line IN LISTS lines)
    # "<address> <type> <name>": an upper-case type is a global symbol.
    if(line MATCHES "^[0-9a-fA-F]* ([A-Z]) (.*)$")
      set(type "${CMAKE_MATCH_1}")
      set(name "${CMAKE_MATCH_2}")
      if(NOT name MATCHES "SearchLanes[0-9]+" AND NOT name MATCHES "^DW\\.ref\\.")
        message(FATAL_ERROR "${object} defines ${name} (${type})")
      endif()
    endif()
  endforeach()
endforeach()
message(STATUS "${checked} file(s) checked")
