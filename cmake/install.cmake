# Installing the programs and packaging them as one Debian package.
#
#   cmake --install <build> --prefix ~/.local     an install without a package
#   cd <build> && cpack -G DEB                     kakeibo_<version>_<arch>.deb, installed under /usr
#
# Installed, each program finds its help file in <prefix>/share/<program>/ and keeps the
# user's book in ~/.local/share/Bank or ~/.local/share/Purse.

include(GNUInstallDirs)

# The programs show "Ver.1.21"; the package and the metainfo releases carry the full number.
set(KAKEIBO_VERSION 1.21.0)
set(KAKEIBO_BANK_ID org.example.kakeibo.Bank)
set(KAKEIBO_PURSE_ID org.example.kakeibo.Purse)
set(KAKEIBO_ICON_SIZES 16 32 48 64 128 256)

# Directories made by the install get normal modes (CMake still applies the umask to them;
# installed files get their modes from the rules alone).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# ---- The installed programs ---------------------------------------------------------------
# This list is the one place a program is added to the installation (and to what the
# install-layout test expects in bin/).
# The tests, bench and mkbook are never installed.
set(KAKEIBO_INSTALLED_PROGRAMS
  bank
  purse
  dbinit
  kakeibo
)
install(TARGETS ${KAKEIBO_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# ---- Help files and the delivered empty books ----------------------------------------------
install(FILES ${PROJECT_SOURCE_DIR}/data/bank.hlp ${KAKEIBO_BOOKS_DIR}/bank.mdb
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bank)
install(FILES ${PROJECT_SOURCE_DIR}/data/purse.hlp ${KAKEIBO_BOOKS_DIR}/moneta.mdb
        DESTINATION ${CMAKE_INSTALL_DATADIR}/purse)

# ---- Desktop entries, icons, AppStream metainfo --------------------------------------------
foreach(id ${KAKEIBO_BANK_ID} ${KAKEIBO_PURSE_ID})
  install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/${id}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/metainfo/${id}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${id}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # The renderings are committed as <id>-<N>.png; the icon theme wants <N>x<N>/apps/<id>.png.
  foreach(size ${KAKEIBO_ICON_SIZES})
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${id}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${id}.png)
  endforeach()
endforeach()

# ---- Tests of the installable files --------------------------------------------------------
find_program(KAKEIBO_DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(KAKEIBO_APPSTREAMCLI appstreamcli)
if(NOT KAKEIBO_DESKTOP_FILE_VALIDATE)
  message(WARNING "desktop-file-validate not found (package desktop-file-utils): packaging_desktop_entries will fail")
  set(KAKEIBO_DESKTOP_FILE_VALIDATE desktop-file-validate)
endif()
if(NOT KAKEIBO_APPSTREAMCLI)
  message(WARNING "appstreamcli not found (package appstream): packaging_metainfo will fail")
  set(KAKEIBO_APPSTREAMCLI appstreamcli)
endif()

# desktop-file-validate ends with 0 on warnings; a warning fails the test as well.
add_test(NAME packaging_desktop_entries
         COMMAND ${KAKEIBO_DESKTOP_FILE_VALIDATE}
                 ${PROJECT_SOURCE_DIR}/data/desktop/${KAKEIBO_BANK_ID}.desktop
                 ${PROJECT_SOURCE_DIR}/data/desktop/${KAKEIBO_PURSE_ID}.desktop)
set_tests_properties(packaging_desktop_entries PROPERTIES FAIL_REGULAR_EXPRESSION "error:|warning:")

# appstreamcli fails on errors and warnings; info and pedantic notes pass.
add_test(NAME packaging_metainfo
         COMMAND ${KAKEIBO_APPSTREAMCLI} validate --no-net --no-color
                 ${PROJECT_SOURCE_DIR}/data/metainfo/${KAKEIBO_BANK_ID}.metainfo.xml
                 ${PROJECT_SOURCE_DIR}/data/metainfo/${KAKEIBO_PURSE_ID}.metainfo.xml)

# Installs the build into a fresh folder and checks what landed there. The lists go to the
# script as words separated by spaces.
list(JOIN KAKEIBO_ICON_SIZES " " icon_sizes)
list(JOIN KAKEIBO_INSTALLED_PROGRAMS " " installed_programs)
add_test(NAME packaging_install_layout
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packaging/install-layout.sh
                 ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${KAKEIBO_VERSION}
                 "${KAKEIBO_BANK_ID} ${KAKEIBO_PURSE_ID}" "${icon_sizes}" "${installed_programs}")

# ---- The Debian package --------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kakeibo)
set(CPACK_PACKAGE_VERSION ${KAKEIBO_VERSION})
set(CPACK_PACKAGE_VENDOR "Kakeibo Developers")
set(CPACK_PACKAGE_CONTACT "Kakeibo Developers <author@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bank book and household account book (Mirte and Carne)")
# One line each; an empty line separates paragraphs.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Two desktop programs, with Japanese screens, for keeping one's own money\n"
  "records.\n"
  "\n"
  "Mirte (bank) keeps a bank book: banks, income and expense items, dated\n"
  "deposits and withdrawals, a balance per bank, monthly and yearly totals,\n"
  "graphs and printouts.\n"
  "\n"
  "Carne (purse) keeps a household account book in monthly pages with a\n"
  "running balance on every row, category totals, graphs and printouts.\n"
  "\n"
  "Each program keeps its book in one SQLite file in the user's data folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.org/")
# dpkg-shlibdeps finds the linked Qt libraries; what the programs load as plugins or data it
# cannot see. The xcb platform plugin ships in libqt6gui6 itself, which the scan finds.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, qt6-translations-l10n, fonts-ipafont-gothic")
# Native windows in a Wayland session; without it Qt falls back to X11 through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# cpack stages the install with the caller's umask applied to the folders it makes, and the
# package keeps those modes: under umask 077 it would ship /usr/share/bank as drwx------ and
# no user could read the help file. The folders of the package are 0755 whoever builds it.
set(kakeibo_folder_modes ${CMAKE_BINARY_DIR}/cpack-folder-modes.cmake)
file(WRITE ${kakeibo_folder_modes} [=[
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY "${entry}" AND NOT IS_SYMLINK "${entry}")
    file(CHMOD "${entry}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                                      GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
]=])
set(CPACK_PRE_BUILD_SCRIPTS ${kakeibo_folder_modes})
include(CPack)
