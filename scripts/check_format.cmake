# The house style (.clang-format), checked rather than promised: every C++
# file of ours must come out of clang-format unchanged. CTest runs it as
# format_check; by hand: cmake -DCLANG_FORMAT=clang-format -P scripts/check_format.cmake
# To bring a file back to the style: clang-format -i FILE
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  get_filename_component(ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()
if(NOT CLANG_FORMAT)
  find_program(CLANG_FORMAT NAMES clang-format clang-format-14 REQUIRED)
endif()

set(files "")
foreach(folder app bench framework fuzz imagescan records tests tools ui)
  file(GLOB_RECURSE found LIST_DIRECTORIES false "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.h")
  list(APPEND files ${found})
endforeach()
list(SORT files)

execute_process(COMMAND "${CLANG_FORMAT}" --style=file --dry-run --Werror ${files}
                WORKING_DIRECTORY "${ROOT}" RESULT_VARIABLE result ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  set(drifted "")
  string(REGEX MATCHALL "[^\n]*: error: code should be clang-formatted" lines "${out}")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ":[0-9]+:[0-9]+: error: code should be clang-formatted" "" file "${line}")
    file(RELATIVE_PATH file "${ROOT}" "${file}")
    list(APPEND drifted "${file}")
  endforeach()
  list(REMOVE_DUPLICATES drifted)
  list(LENGTH drifted n)
  string(REPLACE ";" "\n  " list "${drifted}")
  message(FATAL_ERROR "${n} file(s) out of the house style (clang-format -i FILE brings one back):\n  ${list}")
endif()
