# `cpack -G DEB` in the build folder makes quorvix_<version>_amd64.deb from the install rules,
# installed under /usr (so hosts find the plug-in in /usr/lib/vst), with the dependencies that
# dpkg-shlibdeps finds for the plug-in and the programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvix)
set(CPACK_PACKAGE_VENDOR Brenwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "software synthesizer as a VST 2.x instrument plug-in")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brenwick <support@brenwick.com>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvix.org/")
# The plug-in's message boxes and file dialogs, and the editor's fonts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity | kdialog, fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ardour")
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvix holds four timbres of seventeen voices, each with three table oscillators,
a wave shaper, filters, looping envelopes and two effect units, and plays in Scala,
TUN and MIDI Tuning Standard microtunings. The plug-in is installed in /usr/lib/vst,
where Linux VST hosts such as Ardour find it.

quorvix-host plays MIDI files through any VST 2.x plug-in into WAV files and shows
and stores plug-in states from the command line.")
include(CPack)
