# Manual pages, written at build time from the texts the programs show, and gzipped as Debian
# installs them.
add_executable(quorvix_man_pages tools/man_pages.cpp)
target_link_libraries(quorvix_man_pages PRIVATE quorvix_host_help quorvix_notice_text)

set(QUORVIX_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(QUORVIX_MAN_PAGES ${QUORVIX_MAN_DIR}/quorvix-host.1 ${QUORVIX_MAN_DIR}/Quorvix_NoVSTHost.1)
add_custom_command(OUTPUT ${QUORVIX_MAN_PAGES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVIX_MAN_DIR}
  COMMAND quorvix_man_pages ${QUORVIX_MAN_DIR} ${PROJECT_VERSION}
  DEPENDS quorvix_man_pages
  VERBATIM)
set(QUORVIX_MAN_ARCHIVES)
foreach(page ${QUORVIX_MAN_PAGES})
  add_custom_command(OUTPUT ${page}.gz
    COMMAND gzip -9nkf ${page}
    DEPENDS ${page}
    VERBATIM)
  list(APPEND QUORVIX_MAN_ARCHIVES ${page}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${QUORVIX_MAN_ARCHIVES})
