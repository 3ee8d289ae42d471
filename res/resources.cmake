# The resource script and everything it pulls in.
set(LUMETRA_RC_FILE ${CMAKE_SOURCE_DIR}/res/installer.rc)
include_directories(${CMAKE_SOURCE_DIR}/res)
file(GLOB LUMETRA_RC_INPUTS CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h ${CMAKE_SOURCE_DIR}/res/*.manifest
     ${CMAKE_SOURCE_DIR}/res/*.ico ${CMAKE_SOURCE_DIR}/res/png/*.png)
set_source_files_properties(${LUMETRA_RC_FILE} PROPERTIES OBJECT_DEPENDS
                            "${LUMETRA_RC_INPUTS};${CMAKE_BINARY_DIR}/generated/build_config.h")

# Targets that embed the resource script depend on the files it carries.
function(lumetra_add_resource_dependencies target)
endfunction()
