# Puts the data files beside the executables, where the tool runs: language
# files and the simulated box are refreshed when they change; the settings
# file is copied only when missing, so that a language chosen in the window
# survives the next build.
file(GLOB files ${SOURCE}/*)
foreach(file ${files})
  get_filename_component(name ${file} NAME)
  if(name STREQUAL "param_box.dat")
    if(NOT EXISTS ${DESTINATION}/${name})
      file(COPY ${file} DESTINATION ${DESTINATION})
    endif()
  else()
    execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${DESTINATION}/${name})
  endif()
endforeach()
