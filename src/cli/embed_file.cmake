# Turns a file into a C++ header holding its bytes, so that the program carries the file
# with it. Run as: cmake -DINPUT=<file> -DOUTPUT=<header> -DSYMBOL=<name> -P embed_file.cmake
if(NOT INPUT OR NOT OUTPUT OR NOT SYMBOL)
  message(FATAL_ERROR "embed_file.cmake needs INPUT, OUTPUT and SYMBOL")
endif()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
if(byte_count EQUAL 0)
  message(FATAL_ERROR "embed_file.cmake: ${INPUT} is empty")
endif()

# Sixteen bytes to a line keeps the generated header readable in a debugger.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")

file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} by embed_file.cmake; do not edit.\n"
  "#pragma once\n\n"
  "#include <cstddef>\n\n"
  "inline constexpr unsigned char ${SYMBOL}[] = {\n    ${bytes}\n};\n"
  "inline constexpr std::size_t ${SYMBOL}Size = ${byte_count};\n")
# Only touch the header when the bytes changed, so that an unchanged example rebuilds nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
