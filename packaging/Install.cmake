# What `cmake --install` puts where, and the Debian package `cpack -G DEB`
# makes of it. The program finds its build script and wrapper in the tools
# folder relative to its own folder, so an installed tree works wherever it
# is unpacked.

include(GNUInstallDirs)

set(PALVORN_MAINTAINER "Seed 7ed7d313 maintainers <maintainers@users.noreply.c-seed-7ed7d313.example>")
set(PALVORN_TOOLS_INSTALL_DIR lib/palvorn-enemy-creator)
set(PALVORN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/palvorn-enemy-creator)
file(RELATIVE_PATH tools_from_program /usr/${CMAKE_INSTALL_BINDIR} /usr/${PALVORN_TOOLS_INSTALL_DIR})
target_compile_definitions(palvorn_platform PRIVATE PALVORN_TOOLS_FROM_PROGRAM="${tools_from_program}")

install(TARGETS palvorn-enemy-creator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS palvorn-8xp RUNTIME DESTINATION ${PALVORN_TOOLS_INSTALL_DIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/tools/asm.sh DESTINATION ${PALVORN_TOOLS_INSTALL_DIR})

set(packaging ${CMAKE_CURRENT_LIST_DIR})
install(FILES ${packaging}/palvorn-enemy-creator.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/palvorn-enemy-creator.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${packaging}/icons/palvorn-enemy-creator.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${packaging}/icons/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME palvorn-enemy-creator.png)
endforeach()

# The manual page and the changelog carry the project's version and are
# installed compressed, as Debian wants them; -n keeps the bytes the same
# from one build to the next.
set(generated ${CMAKE_BINARY_DIR}/packaging)
configure_file(${packaging}/palvorn-enemy-creator.1 ${generated}/palvorn-enemy-creator.1 @ONLY)
configure_file(${packaging}/changelog ${generated}/changelog @ONLY)
configure_file(${packaging}/copyright ${generated}/copyright @ONLY)
foreach(file palvorn-enemy-creator.1 changelog)
  add_custom_command(OUTPUT ${generated}/${file}.gz
    COMMAND gzip -9n --force --keep ${generated}/${file}
    DEPENDS ${generated}/${file}
    COMMENT "Compressing ${file}")
endforeach()
add_custom_target(palvorn_packaging_docs ALL
  DEPENDS ${generated}/palvorn-enemy-creator.1.gz ${generated}/changelog.gz)
install(FILES ${generated}/palvorn-enemy-creator.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/changelog.gz ${generated}/copyright DESTINATION ${PALVORN_DOC_DIR})

# The Debian package: palvorn-enemy-creator_VERSION_amd64.deb. Depends are
# the shared libraries dpkg-shlibdeps finds (Qt, libspng, giflib,
# libjpeg62-turbo, libwebp7 among them), the Z80 assembler the build
# script runs, the Qt platform plugins the windows need (loaded at run
# time, so dpkg-shlibdeps cannot see them) and the cable library.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME palvorn-enemy-creator)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PALVORN_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "pasmo, qt6-qpa-plugins")
# Named even though dpkg-shlibdeps finds the library: the package also brings
# the udev rule that lets a logged-in user open TI's USB cables.
if(PALVORN_LINK)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libticables2-8")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make enemies for the Palvorn calculator game")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A desktop tool that makes an external enemy for the Palvorn role-playing
game, which runs on a graphing calculator with a 96 x 64 monochrome screen.
A wizard takes five sprite pictures (BMP, PNG, GIF, JPEG or WebP), a settings
window the enemy's name and values; Create writes the enemy's assembler
source and builds it into a TI-83 Plus/TI-84 Plus program file with the
pasmo assembler, and sends it to the calculator over its USB cable or a
SilverLink. Enemies can also be made and sent from the command line.")
include(CPack)
