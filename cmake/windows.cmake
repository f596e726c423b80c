# The Windows program's run directory and its zip. The data is made by the native build's
# generators (RV_HOST_DEMO_DIR, its build/demo folder); the shaders are copied from data/.
set(RV_HOST_DEMO_DIR "" CACHE PATH "The run directory of a native build, whose generated data the Windows program uses")
if(NOT IS_DIRECTORY "${RV_HOST_DEMO_DIR}/meshes")
  message(FATAL_ERROR "RV_HOST_DEMO_DIR must name the run directory (build/demo) of a native build "
                      "that has made the data; it is '${RV_HOST_DEMO_DIR}'")
endif()

set(rv_data_outputs)
foreach(folder meshes textures images fonts)
  file(GLOB_RECURSE rv_files CONFIGURE_DEPENDS RELATIVE ${RV_HOST_DEMO_DIR} ${RV_HOST_DEMO_DIR}/${folder}/*)
  foreach(f ${rv_files})
    add_custom_command(OUTPUT "${RV_DEMO_DIR}/${f}"
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different "${RV_HOST_DEMO_DIR}/${f}"
                               "${RV_DEMO_DIR}/${f}"
                       DEPENDS "${RV_HOST_DEMO_DIR}/${f}")
    list(APPEND rv_data_outputs "${RV_DEMO_DIR}/${f}")
  endforeach()
endforeach()
foreach(name mirethShader.fx mirethVShader.vp mirethPShader.fp)
  add_custom_command(OUTPUT ${RV_DEMO_DIR}/${name}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/data/${name}
                             ${RV_DEMO_DIR}/${name}
                     DEPENDS ${CMAKE_SOURCE_DIR}/data/${name})
  list(APPEND rv_data_outputs ${RV_DEMO_DIR}/${name})
endforeach()
add_custom_command(OUTPUT ${RV_DEMO_DIR}/README.md
                   COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/README.md
                           ${RV_DEMO_DIR}/README.md
                   DEPENDS ${CMAKE_SOURCE_DIR}/README.md)
list(APPEND rv_data_outputs ${RV_DEMO_DIR}/README.md)
add_custom_target(demo_data ALL DEPENDS ${rv_data_outputs})

# brindle-windows.zip: one folder "brindle" holding the run directory.
set(RV_ZIP ${CMAKE_BINARY_DIR}/brindle-windows.zip)
add_custom_command(OUTPUT ${RV_ZIP}
                   COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
                   COMMAND ${CMAKE_COMMAND} -E copy_directory ${RV_DEMO_DIR} ${CMAKE_BINARY_DIR}/zip/brindle
                   COMMAND ${CMAKE_COMMAND} -E rm -f ${RV_ZIP}
                   COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
                           ${CMAKE_COMMAND} -E tar cf ${RV_ZIP} --format=zip brindle
                   DEPENDS brindle ${rv_data_outputs}
                   COMMENT "Packing brindle-windows.zip")
add_custom_target(windows_zip ALL DEPENDS ${RV_ZIP})
