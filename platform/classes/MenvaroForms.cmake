# menvaro_add_forms(<target> <file.form>...)
# Embeds each form file into <target> and registers its text under the class
# its root object names ("object UpdateForm: TUpdateForm" -> TUpdateForm), so
# that creating that form or data module streams it. Add the forms to an
# executable, an OBJECT library or a library made by menvaro_class_library:
# a plain static library's registration would be dropped by the linker.
function(menvaro_add_forms target)
  foreach(form IN LISTS ARGN)
    get_filename_component(abs "${form}" ABSOLUTE)
    file(RELATIVE_PATH display "${PROJECT_SOURCE_DIR}" "${abs}")
    string(MAKE_C_IDENTIFIER "${display}" id)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/menvaro_forms/${id}.cpp")
    add_custom_command(
      OUTPUT "${out}"
      COMMAND ${CMAKE_COMMAND} -DIN=${abs} -DOUT=${out} -DDISPLAY=${display}
              -P ${MENVARO_CLASSES_CMAKE_DIR}/EmbedForm.cmake
      DEPENDS "${abs}" "${MENVARO_CLASSES_CMAKE_DIR}/EmbedForm.cmake"
      COMMENT "Embedding ${display}"
      VERBATIM)
    target_sources(${target} PRIVATE "${out}")
  endforeach()
endfunction()
