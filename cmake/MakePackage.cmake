# Runs "quenlow -d" inside the run folder; the build fails when the package is not written.
execute_process(
  COMMAND ${QUENLOW_BINARY} -d
  WORKING_DIRECTORY ${RUN_DIR}
  RESULT_VARIABLE package_result
  OUTPUT_VARIABLE package_output
  ERROR_VARIABLE package_output)
if(NOT package_result EQUAL 0)
  file(REMOVE ${RUN_DIR}/data.tul)
  message(FATAL_ERROR "quenlow -d failed in ${RUN_DIR}:\n${package_output}")
endif()
