# menvaro_add_debug_info(<target> [OPTIONS default|pelgrane])
# Links a program at fixed addresses with immediate binding (-no-pie
# -Wl,-z,now), so that its code addresses are the same in every run, and
# after each link adds the crash logger's "OLDATA" section to it: its DWARF
# line tables and functions with the logger options OPTIONS (tools/debuginfo).
# The build id lets the logger tell a file replaced since it was loaded.
function(menvaro_add_debug_info target)
  cmake_parse_arguments(D "" "OPTIONS" "" ${ARGN})
  if(NOT D_OPTIONS)
    set(D_OPTIONS default)
  endif()
  find_program(MENVARO_OBJCOPY NAMES objcopy REQUIRED)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set_property(TARGET ${target} PROPERTY POSITION_INDEPENDENT_CODE OFF)
    target_link_options(${target} PRIVATE -no-pie -Wl,-z,now)
  endif()
  target_link_options(${target} PRIVATE -Wl,--build-id)
  add_dependencies(${target} menvaro_debuginfo)
  # A new build step links the program again, so that its section is new too.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS $<TARGET_FILE:menvaro_debuginfo>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND $<TARGET_FILE:menvaro_debuginfo> --options ${D_OPTIONS} --objcopy ${MENVARO_OBJCOPY}
            $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
