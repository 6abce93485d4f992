# The page's scripts that use npm packages, bundled by esbuild into the site: playground.js (the
# playground: CodeMirror, the compiler's messages, links that carry a source) and files.js (the
# root as a zip, for both pages). The packages are installed exactly as web/package-lock.json
# pins them, into the build tree, so the source tree stays clean.
find_program(CORVANE_NPM npm REQUIRED)
set(CORVANE_WEB_MODULES ${CMAKE_BINARY_DIR}/web-node)
file(GLOB CORVANE_WEB_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/src/*.js)
set(CORVANE_WEB_BUNDLES ${CORVANE_SITE}/playground.js ${CORVANE_SITE}/files.js)
add_custom_command(OUTPUT ${CORVANE_WEB_BUNDLES}
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}/web -DDEST=${CORVANE_WEB_MODULES}
          -DNPM=${CORVANE_NPM} -P ${CMAKE_SOURCE_DIR}/tests/dap/npm_ci.cmake
  # esbuild finds the packages through NODE_PATH, as node does.
  COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${CORVANE_WEB_MODULES}/node_modules
          ${CORVANE_WEB_MODULES}/node_modules/.bin/esbuild
          ${CMAKE_SOURCE_DIR}/web/src/playground.js ${CMAKE_SOURCE_DIR}/web/src/files.js
          --bundle --minify --format=iife --target=es2020 --log-level=warning
          --outdir=${CORVANE_SITE}
  DEPENDS ${CORVANE_WEB_SCRIPTS} ${CMAKE_SOURCE_DIR}/web/package.json
          ${CMAKE_SOURCE_DIR}/web/package-lock.json
  COMMENT "Bundling the page's scripts"
  VERBATIM)
