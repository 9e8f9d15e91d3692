# Runs "quenlow -d" inside the run folder. While the asset set is incomplete a failed
# package build only warns; with REQUIRED set it fails the build.
execute_process(
  COMMAND ${QUENLOW_BINARY} -d
  WORKING_DIRECTORY ${RUN_DIR}
  RESULT_VARIABLE package_result
  OUTPUT_VARIABLE package_output
  ERROR_VARIABLE package_output)
if(NOT package_result EQUAL 0)
  file(REMOVE ${RUN_DIR}/data.tul)
  if(REQUIRED)
    message(FATAL_ERROR "quenlow -d failed in ${RUN_DIR}:\n${package_output}")
  endif()
  message(WARNING "quenlow -d failed in ${RUN_DIR}; data.tul not written:\n${package_output}")
  file(WRITE ${RUN_DIR}/data.tul.missing "${package_output}")
endif()
