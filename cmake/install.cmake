# `cmake --install` puts each file where Linux users and hosts look for it: the plug-in in
# lib/vst (the folder hosts scan), the programs in bin, the factory banks in share/quorvix, the
# manual pages where man finds them and the README with the documentation.
install(TARGETS Quorvix LIBRARY DESTINATION lib/vst)
install(TARGETS quorvix-host RUNTIME DESTINATION bin)
install(FILES ${QUORVIX_MAN_DIR}/quorvix-host.1.gz DESTINATION share/man/man1)
if(TARGET Quorvix_NoVSTHost)
  install(TARGETS Quorvix_NoVSTHost RUNTIME DESTINATION bin)
  install(FILES ${QUORVIX_MAN_DIR}/Quorvix_NoVSTHost.1.gz DESTINATION share/man/man1)
endif()
# The bank compiler writes the factory banks into banks/ of the build folder; a build without
# them installs none.
install(DIRECTORY ${CMAKE_BINARY_DIR}/banks/ DESTINATION share/quorvix/banks OPTIONAL
        FILES_MATCHING PATTERN "*.fxb")
install(FILES README.md DESTINATION share/doc/quorvix)
