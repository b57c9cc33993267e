# Run as a test: every C++ file of the tree is formatted as .clang-format says.
file(GLOB_RECURSE files ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
     ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/fuzz/*.cpp ${SOURCE_DIR}/fuzz/*.h)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files} RESULT_VARIABLE result ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "files not formatted as .clang-format says:\n${out}")
endif()
