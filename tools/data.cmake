# The demo's run directory: the executable and every data file it opens, at the paths it
# opens them. Binary data is made here by our own generators; nothing binary is committed.
set(RV_DEMO_DIR ${CMAKE_BINARY_DIR}/demo)
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

file(GLOB RV_DATA_FRAGMENTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/gen_*.cmake)
foreach(fragment ${RV_DATA_FRAGMENTS})
  include(${fragment})
endforeach()
get_property(rv_data_targets GLOBAL PROPERTY RV_DEMO_DATA_TARGETS)
add_custom_target(demo_data ALL)
if(rv_data_targets)
  add_dependencies(demo_data ${rv_data_targets})
endif()
