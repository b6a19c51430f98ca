# Runs the picture generator without an icon theme and checks its output.
# Each run writes a folder of its own: two runs of the suite in one build
# tree never remove or fill each other's.
string(RANDOM LENGTH 12 run)
set(OUT ${OUT}/${run})
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${GEN} ${MAP} ${OUT}/no-such-theme ${OUT}/data RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "generator without a theme failed: ${rc}")
endif()
execute_process(COMMAND ${GEN} --verify ${MAP} ${OUT}/data RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "generator without a theme left files out")
endif()
file(REMOVE_RECURSE ${OUT})
