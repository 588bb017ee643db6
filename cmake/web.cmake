# The game as WebAssembly for a web browser: lanternvale.js and
# lanternvale.wasm, which the page (web/index.html) loads.
set_target_properties(lanternvale PROPERTIES SUFFIX .js)
target_link_options(lanternvale PRIVATE
  # Waits hand the browser its thread back and resume where they were.
  -sASYNCIFY
  -sASYNCIFY_STACK_SIZE=65536
  # A world is 80 MiB; memory grows when one is made and shrinks never.
  -sALLOW_MEMORY_GROWTH
  -sMAXIMUM_MEMORY=2GB
  # A module the page creates, handing it the host object (Module.host).
  -sMODULARIZE
  -sEXPORT_ES6
  -sEXPORT_NAME=createLanternvale
  -sENVIRONMENT=web
  -sEXIT_RUNTIME
  # The page sets the variables a terminal sets (COLORTERM) before main runs.
  -sEXPORTED_RUNTIME_METHODS=ENV
)

# The static site: the page, its scripts, xterm.js and its fit addon from
# web/node_modules (`npm ci` in web/, from the lockfile), and the module.
set(LANTERNVALE_WEB_SITE ${PROJECT_SOURCE_DIR}/build/web CACHE PATH "Where the static site is put together")
set(LANTERNVALE_NODE_MODULES ${PROJECT_SOURCE_DIR}/web/node_modules)
set(LANTERNVALE_WEB_FILES
  ${PROJECT_SOURCE_DIR}/web/index.html
  ${PROJECT_SOURCE_DIR}/web/src/page.js
  ${PROJECT_SOURCE_DIR}/web/src/game_host.js
  ${PROJECT_SOURCE_DIR}/web/src/storage.js
  ${PROJECT_SOURCE_DIR}/web/src/gbk.js
  ${PROJECT_SOURCE_DIR}/web/src/storage_worker.js
  ${LANTERNVALE_NODE_MODULES}/@xterm/xterm/lib/xterm.mjs
  ${LANTERNVALE_NODE_MODULES}/@xterm/xterm/css/xterm.css
  ${LANTERNVALE_NODE_MODULES}/@xterm/addon-fit/lib/addon-fit.mjs
)
foreach(file IN LISTS LANTERNVALE_WEB_FILES)
  if(NOT EXISTS ${file} AND file MATCHES "node_modules")
    message(FATAL_ERROR "${file} is missing: run `npm ci` in web/ (make web does)")
  endif()
endforeach()
add_custom_target(web_site ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LANTERNVALE_WEB_SITE}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${LANTERNVALE_WEB_FILES} $<TARGET_FILE:lanternvale>
          $<TARGET_FILE_DIR:lanternvale>/lanternvale.wasm ${LANTERNVALE_WEB_SITE}
  DEPENDS lanternvale ${LANTERNVALE_WEB_FILES}
  COMMENT "The static site in ${LANTERNVALE_WEB_SITE}"
  VERBATIM)
