# Lays out build/run, the game's working directory: every package entry as a loose
# file (hand-written ones copied from assets/, binary ones written by assetgen), then
# data.tul, written by the game's own package build mode.
file(GLOB_RECURSE QUENLOW_AUTHORED_ASSETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/*)
set(QUENLOW_PACKAGE ${QUENLOW_RUN_DIR}/data.tul)

add_custom_command(
  OUTPUT ${QUENLOW_PACKAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUENLOW_RUN_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/assets ${QUENLOW_RUN_DIR}
  COMMAND $<TARGET_FILE:assetgen> ${QUENLOW_RUN_DIR}
  COMMAND ${CMAKE_COMMAND} -DQUENLOW_BINARY=$<TARGET_FILE:quenlow> -DRUN_DIR=${QUENLOW_RUN_DIR}
          -P ${CMAKE_SOURCE_DIR}/cmake/MakePackage.cmake
  DEPENDS quenlow assetgen ${QUENLOW_AUTHORED_ASSETS} ${CMAKE_SOURCE_DIR}/cmake/MakePackage.cmake
  COMMENT "Laying out ${QUENLOW_RUN_DIR} and writing data.tul"
  VERBATIM)
add_custom_target(run_folder ALL DEPENDS ${QUENLOW_PACKAGE})
