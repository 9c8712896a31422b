# menvaro_add_forms(<target> <file.form>...)
# Embeds each form file into <target> and registers its text under the class
# its root object names ("object UpdateForm: TUpdateForm" -> TUpdateForm), so
# that creating that form or data module streams it. Add the forms to the
# executable (or to an OBJECT library): a static library's registration
# would be dropped by the linker.
function(menvaro_add_forms target)
  foreach(form IN LISTS ARGN)
    get_filename_component(abs "${form}" ABSOLUTE)
    file(RELATIVE_PATH display "${PROJECT_SOURCE_DIR}" "${abs}")
    string(MAKE_C_IDENTIFIER "${display}" id)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/menvaro_forms/${id}.cpp")
    add_custom_command(
      OUTPUT "${out}"
      COMMAND ${CMAKE_COMMAND} -DIN=${abs} -DOUT=${out} -DDISPLAY=${display}
              -P ${MENVARO_UI_CMAKE_DIR}/EmbedForm.cmake
      DEPENDS "${abs}" "${MENVARO_UI_CMAKE_DIR}/EmbedForm.cmake"
      COMMENT "Embedding ${display}"
      VERBATIM)
    target_sources(${target} PRIVATE "${out}")
  endforeach()
endfunction()

# menvaro_link_classes(<target> <library>...)
# Links class libraries whole, so that classes met only in form files are
# registered too.
function(menvaro_link_classes target)
  foreach(lib IN LISTS ARGN)
    target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${lib}>")
  endforeach()
endfunction()
