# The Debian package: `cpack -G DEB` in a build folder (scripts/package does it). The program,
# its launcher, icons, AppStream description and manual page, installed under /usr. The
# libraries it links come from dpkg-shlibdeps; what it loads at run time is named here.
include(GNUInstallDirs)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vamo2001)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vamo 2001")
set(CPACK_PACKAGE_CONTACT "Vamo 2001 <vamo2001@users.noreply.codeberg.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "diary of bicycle rides (Czech user interface)")
set(CPACK_PACKAGE_DESCRIPTION
    "Vamo 2001 keeps a diary of bicycle rides: the date, the places, the
odometer readings, the distance, the speeds, the ride time, a note and the
bike of every ride. Rides are added, corrected, sorted, found by up to eleven
search conditions, filled in from GPS tracks and exported to CSV. An overview
shows totals, charts, a calendar and records; a bikes window counts each
bike's kilometres and the parts due for service. Every change is written to
the diary file at once, with a daily backup; two programs may share one
diary. The user interface is Czech.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders of the package as Debian wants them whatever the umask of whoever builds it.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(VAMO_HARDENING)
  # As Debian strips its programs: no compiler version notes either.
  install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                --remove-section=.note --strip-unneeded
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vamo2001\"
                COMMAND_ERROR_IS_FATAL ANY)")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by Qt at run time, so no library dependency shows them: the platform plugins (without
# them no window opens) and Qt's own Czech texts for the file dialogs and context menus.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")

include(CPack)
