# The two animated characters (meshes with skeleton keys) and their painted textures,
# generated into the demo's run directory. The generator's code lives in the chargen library
# so that the tests check the very meshes, keys and textures the tool writes.
add_library(chargen STATIC
            ${CMAKE_CURRENT_LIST_DIR}/chargen/skeleton.cpp
            ${CMAKE_CURRENT_LIST_DIR}/chargen/tube.cpp
            ${CMAKE_CURRENT_LIST_DIR}/chargen/bodymesh.cpp
            ${CMAKE_CURRENT_LIST_DIR}/chargen/humanoid.cpp
            ${CMAKE_CURRENT_LIST_DIR}/chargen/motion.cpp
            ${CMAKE_CURRENT_LIST_DIR}/chargen/paint.cpp
            ${CMAKE_CURRENT_LIST_DIR}/chargen/characters.cpp
            ${CMAKE_CURRENT_LIST_DIR}/chargen/output.cpp)
target_include_directories(chargen PUBLIC ${CMAKE_CURRENT_LIST_DIR}/chargen ${CMAKE_SOURCE_DIR}/app)
target_link_libraries(chargen PUBLIC rvcore toolmath)

# Skinned, animated meshes as binary glTF: our characters for standard tools, and models of any
# shape for the converter's tests. stb writes the PNG of the texture.
find_package(PkgConfig REQUIRED)
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
add_library(gltfwriter STATIC ${CMAKE_CURRENT_LIST_DIR}/gltf/gltfwriter.cpp)
target_include_directories(gltfwriter PUBLIC ${CMAKE_CURRENT_LIST_DIR}/gltf)
target_link_libraries(gltfwriter PUBLIC rvcore PRIVATE PkgConfig::STB)

rv_data_tool(gencharacters
             SOURCES ${CMAKE_CURRENT_LIST_DIR}/gencharacters.cpp
             OUTPUTS meshes/zax.MSH meshes/zaphod.MSH "textures/Diffuse Map - Zax.bmp"
                     textures/zaphod_red.tga
             LIBS chargen gltfwriter)
