# Turns one .form file into a C++ source that registers its text under the
# class its root object names. Run by menvaro_add_forms at build time:
#   cmake -DIN=<file.form> -DOUT=<file.cpp> -DDISPLAY=<name in messages> -P EmbedForm.cmake
file(READ "${IN}" hex HEX)
string(REGEX REPLACE "^efbbbf" "" hex "${hex}")
file(READ "${IN}" text)
string(REGEX MATCH
  "^[^A-Za-z]*([Oo][Bb][Jj][Ee][Cc][Tt]|[Ii][Nn][Hh][Ee][Rr][Ii][Tt][Ee][Dd]|[Ii][Nn][Ll][Ii][Nn][Ee])[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]*:[ \t]*([A-Za-z_][A-Za-z0-9_]*)"
  found "${text}")
if(NOT found)
  message(FATAL_ERROR "${DISPLAY}:1: a form file begins with 'object Name: TClass'")
endif()
set(class "${CMAKE_MATCH_3}")
string(LENGTH "${hex}" hexlen)
math(EXPR size "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUT}.tmp"
"// Generated from ${DISPLAY}; do not edit.\n"
"#include \"classes/FormResources.h\"\n"
"namespace {\n"
"const unsigned char data[${size} + 1] = {\n${bytes}0};\n"
"const menvaro::TFormResourceRegistration registration(\"${class}\", \"${DISPLAY}\", data, ${size});\n"
"}  // namespace\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
