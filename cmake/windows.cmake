# The Windows program's run directory and its zip. The data is made by the native build's
# generators (RV_HOST_DEMO_DIR, its build/demo folder); the shaders are copied from data/.
set(RV_HOST_DEMO_DIR "" CACHE PATH "The run directory of a native build, whose generated data the Windows program uses")
if(NOT IS_DIRECTORY "${RV_HOST_DEMO_DIR}/meshes")
  message(FATAL_ERROR "RV_HOST_DEMO_DIR must name the run directory (build/demo) of a native build "
                      "that has made the data; it is '${RV_HOST_DEMO_DIR}'")
endif()

file(GLOB_RECURSE rv_host_files CONFIGURE_DEPENDS RELATIVE ${RV_HOST_DEMO_DIR}
     ${RV_HOST_DEMO_DIR}/meshes/* ${RV_HOST_DEMO_DIR}/textures/* ${RV_HOST_DEMO_DIR}/images/*
     ${RV_HOST_DEMO_DIR}/fonts/*)
rv_copy_into_demo(rv_host_copies ${RV_HOST_DEMO_DIR} ${rv_host_files})
rv_copy_into_demo(rv_text_copies ${CMAKE_SOURCE_DIR}/data
                  mirethShader.fx mirethVShader.vp mirethPShader.fp)
rv_copy_into_demo(rv_readme_copy ${CMAKE_SOURCE_DIR} README.md)
set(rv_data_outputs ${rv_host_copies} ${rv_text_copies} ${rv_readme_copy})
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
