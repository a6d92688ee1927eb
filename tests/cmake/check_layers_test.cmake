# The layer checks on a small tree that breaks them: each must fail and name exactly what is
# forbidden, no more. Run with -DCHECK_SCRIPT=... -DFIXTURE=tests/data/layers -DWORK_DIR=scratch.
set(failures "")

# Notes a failure unless the check failed and its lines matching line_regex are exactly the rest.
function(expect_failure what result output line_regex)
  if(result EQUAL 0)
    list(APPEND failures "${what} passed, it should have failed")
  endif()
  string(REGEX MATCHALL "${line_regex}" reported "${output}")
  list(TRANSFORM reported STRIP)
  list(SORT reported)
  set(expected ${ARGN})
  list(SORT expected)
  if(NOT reported STREQUAL expected)
    list(APPEND failures "${what} said:\n${output}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

execute_process(
  COMMAND ${CMAKE_COMMAND} -DROOT=${FIXTURE} "-DEXCEPTIONS=engine/voice.h -> presets/program.h" -P ${CHECK_SCRIPT}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
expect_failure("The include check" "${result}" "${output}" "\n +[a-z/_]+\\.[a-z]+:[0-9]+: [^\n]*"
  "dsp/oscillator.cpp:3: includes engine/voice.h: dsp -> engine is against the layers (dsp may include base)"
  "host/main.cpp:3: includes plugin/synth.h: host -> plugin is against the layers (host may include base, platform, plugin/vst2abi.h)"
  "tuning/scale.cpp:2: includes <cairo.h>: tuning must not speak X11, cairo or GTK"
  "tuning/scale.cpp:3: includes ../dsp/oscillator.h: a path out of its folder, write folder/file.h")

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -G Ninja -S ${FIXTURE}/links -B ${WORK_DIR} -DCHECK_SCRIPT=${CHECK_SCRIPT}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
expect_failure("The link check" "${result}" "${output}" "\n +quorvix_[a-z]+ links [^\n]*"
  "quorvix_dsp links drawing"
  "quorvix_presets links quorvix_plugin")

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
