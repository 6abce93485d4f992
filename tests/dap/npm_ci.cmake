# Installs the debug server tests' npm packages, exactly as the lock file pins them, into DEST
# (the build tree), so the source tree stays clean. Skipped when the lock file has not changed.
# Usage: cmake -DSOURCE=<tests/dap> -DDEST=<folder> -DNPM=<npm> -P npm_ci.cmake
file(MAKE_DIRECTORY ${DEST})
set(stamp ${DEST}/node_modules/.corvane-lock)
file(READ ${SOURCE}/package-lock.json lock)
if(EXISTS ${stamp})
  file(READ ${stamp} installed)
  if(installed STREQUAL lock)
    return()
  endif()
endif()
configure_file(${SOURCE}/package.json ${DEST}/package.json COPYONLY)
configure_file(${SOURCE}/package-lock.json ${DEST}/package-lock.json COPYONLY)
execute_process(COMMAND ${NPM} ci --no-audit --no-fund --loglevel=error
  WORKING_DIRECTORY ${DEST} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "npm ci failed in ${DEST}")
endif()
file(WRITE ${stamp} "${lock}")
