# Scene textures and the HUD font, generated into the demo's run directory. The painters live
# in the texgen library so that the tests exercise the same code the generators run.
find_package(Freetype REQUIRED)

add_library(texgen STATIC
            ${CMAKE_CURRENT_LIST_DIR}/texgen/texmath.cpp
            ${CMAKE_CURRENT_LIST_DIR}/texgen/skybox.cpp
            ${CMAKE_CURRENT_LIST_DIR}/texgen/patterns.cpp
            ${CMAKE_CURRENT_LIST_DIR}/texgen/fontbaker.cpp
            ${CMAKE_CURRENT_LIST_DIR}/texgen/demodata.cpp)
target_include_directories(texgen PUBLIC ${CMAKE_CURRENT_LIST_DIR}/texgen ${CMAKE_SOURCE_DIR}/app)
target_link_libraries(texgen PUBLIC rvcore Freetype::Freetype)

rv_data_tool(gentextures
             SOURCES ${CMAKE_CURRENT_LIST_DIR}/gentextures.cpp
             OUTPUTS textures/grayTexture.bmp textures/whitegrid.bmp textures/skybox1.bmp
                     images/default.bmp
             LIBS texgen)

rv_data_tool(genfont
             SOURCES ${CMAKE_CURRENT_LIST_DIR}/genfont.cpp
             OUTPUTS fonts/textImageDungeon.bmp fonts/textImageDungeon.gtft
             LIBS texgen)
