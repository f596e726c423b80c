# The demo's run directory: the executable and every data file it opens, at the paths it
# opens them. Binary data is made here by our own generators; nothing binary is committed.
file(MAKE_DIRECTORY ${RV_DEMO_DIR})

# rv_data_tool(<name> SOURCES <src...> OUTPUTS <paths relative to the demo dir...>
#              [LIBS <libs...>] [ARGS <extra args...>])
# Builds a generator and runs it as `<name> <demo dir> <args...>` whenever it is rebuilt, that
# is whenever its sources change. The outputs belong to the `demo_data` target.
function(rv_data_tool name)
  cmake_parse_arguments(D "" "" "SOURCES;OUTPUTS;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${D_SOURCES})
  target_link_libraries(${name} PRIVATE rvcore ${D_LIBS})
  set(outs)
  foreach(o ${D_OUTPUTS})
    list(APPEND outs ${RV_DEMO_DIR}/${o})
  endforeach()
  add_custom_command(OUTPUT ${outs}
                     COMMAND ${name} ${RV_DEMO_DIR} ${D_ARGS}
                     DEPENDS ${name}
                     WORKING_DIRECTORY ${RV_DEMO_DIR}
                     COMMENT "Generating ${D_OUTPUTS}")
  add_custom_target(${name}_data ALL DEPENDS ${outs})
  set_property(GLOBAL APPEND PROPERTY RV_DEMO_DATA_TARGETS ${name}_data)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/gen_textures.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/gen_characters.cmake)
get_property(rv_data_targets GLOBAL PROPERTY RV_DEMO_DATA_TARGETS)
add_custom_target(demo_data ALL)
add_dependencies(demo_data ${rv_data_targets})

# Hand-written text data (the effect and the ARB programs) is copied beside the executable.
rv_copy_into_demo(rv_text_outputs ${CMAKE_SOURCE_DIR}/data
                  mirethShader.fx mirethVShader.vp mirethPShader.fp)
add_custom_target(demo_text_data ALL DEPENDS ${rv_text_outputs})
