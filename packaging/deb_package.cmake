# The Debian package, made by CPack from the same install rules as "cmake --install":
#   cmake --build build --target package       (or: cd build && cpack -G DEB)
# gives kaz-trainer_1.0_<arch>.deb. Its files go under /usr whatever prefix the build was
# configured with; the menu entries and manual pages are written for /usr at packaging time.
# The choices, and what lintian still reports, are noted in packaging/README.md.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kaz-trainer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${KAZ_DEVELOPER_NAME}")
set(CPACK_PACKAGE_CONTACT "${KAZ_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Vokabeltrainer: Lektionen aus Begriffspaaren anlegen und abfragen")
# The installed tree under /usr, written there through DESTDIR: install steps that name the
# prefix (menu entries, manual pages) then see /usr, and those that refresh the desktop caches
# see a staging folder and leave the caches to the package's triggers.
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
# Every install rule is in the default component; naming it makes the staging install list its
# files in install_manifest_Unspecified.txt. The list "cmake --install" wrote, which the
# uninstall target reads, stays as it was.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KAZ_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description under the summary; CPack indents its lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "KAZ-TRAINER fragt Lektionen aus Begriffspaaren ab, etwa ein deutsches Wort
und seine Übersetzung: jeden Eintrag einmal in zufälliger Reihenfolge,
normal, umgekehrt oder gemischt, die falsch beantworteten so lange, bis sie
zweimal richtig beantwortet sind. Am Ende stehen eine Schulnote und ein
Protokoll der letzten 20 Ergebnisse. Wortlisten aus Tabellenprogrammen
(CSV) werden eingelesen und ausgegeben.

Das Paket enthält den Trainer, seine Hilfeanzeige, drei Beispiellektionen
und die Klänge.")
# The libraries come from the programs and the sound module (dpkg-shlibdeps). Beside them the
# trainer needs the Liberation fonts it draws with and Qt's German texts for its message boxes;
# the sound module plays through a PulseAudio server (PipeWire's counts), which a desktop has.
# The speech module speaks through Qt TextToSpeech's speech-dispatcher engine, with the
# espeak-ng voices (a hundred languages, no network).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-liberation, qt6-translations-l10n, qt6-speech-speechd-plugin, speech-dispatcher, speech-dispatcher-espeak-ng")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
# The MIME database, the menu's type index, the icon cache and the manual page index are
# refreshed by the triggers of shared-mime-info, desktop-file-utils, hicolor-icon-theme and
# man-db, on install and on removal. One maintainer script: man-db's trigger does not take
# removed pages out of its index (debian/postrm does).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
