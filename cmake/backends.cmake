# Platform layer (SDL2), the OpenGL back end and the demo executable.
find_package(SDL2 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)

file(GLOB RVPLATFORM_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/rvrender/source/platform/zrwindow.cpp
     ${CMAKE_SOURCE_DIR}/rvrender/source/platform/*_sdl.cpp)
if(NOT RVPLATFORM_SOURCES)
  message(STATUS "No platform layer sources yet: skipping the back ends and the demo")
  return()
endif()
add_library(rvplatform STATIC ${RVPLATFORM_SOURCES})
target_include_directories(rvplatform PUBLIC ${CMAKE_SOURCE_DIR}/rvrender/source/platform)
target_link_libraries(rvplatform PUBLIC rvcore zrkeytable SDL2::SDL2)

file(GLOB RVGL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/rvrender/source/gl/*.cpp)
if(NOT RVGL_SOURCES)
  return()
endif()
add_library(rvgl STATIC ${RVGL_SOURCES})
target_include_directories(rvgl PUBLIC ${CMAKE_SOURCE_DIR}/rvrender/source/gl)
target_link_libraries(rvgl PUBLIC rvcore rvplatform OpenGL::GL OpenGL::GLU SDL2::SDL2)

if(NOT DEFINED RV_DEMO_DIR)
  set(RV_DEMO_DIR ${CMAKE_BINARY_DIR}/demo)
endif()

# The camera, the scene and the frame logic are libraries of their own (top-level CMakeLists).
file(GLOB BRINDLE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*.cpp)
list(FILTER BRINDLE_SOURCES EXCLUDE REGEX "(rvcamera|scene|frame)\\.cpp$")
if(BRINDLE_SOURCES)
  add_executable(brindle ${BRINDLE_SOURCES})
  target_link_libraries(brindle PRIVATE appscene appcore rvgl rvplatform)
  set_target_properties(brindle PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${RV_DEMO_DIR})
endif()

# Hand-written text data (effect file, ARB programs) is copied beside the executable.
file(GLOB RV_TEXT_DATA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
set(rv_text_outputs)
foreach(f ${RV_TEXT_DATA})
  get_filename_component(n ${f} NAME)
  add_custom_command(OUTPUT ${RV_DEMO_DIR}/${n}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${f} ${RV_DEMO_DIR}/${n}
                     DEPENDS ${f})
  list(APPEND rv_text_outputs ${RV_DEMO_DIR}/${n})
endforeach()
add_custom_target(demo_text_data ALL DEPENDS ${rv_text_outputs})
