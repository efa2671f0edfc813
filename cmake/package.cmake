# What is installed (cmake --install, honouring DESTDIR) and the Debian package made of it: the
# demo and its menu wrapper in games/, a menu entry, icons drawn from the demo's own art, the
# AppStream metainfo, the manual page, and what Debian asks of every package (copyright,
# changelog).
include(GNUInstallDirs)
set(QB_INSTALL_GAMESDIR games CACHE STRING "where the demo goes under the prefix (Debian: games)")
set(QB_PACKAGE_DIR ${PROJECT_SOURCE_DIR}/cmake/package)
set(QB_PACKAGE_OUT ${CMAKE_BINARY_DIR}/package)

install(TARGETS quellbrand RUNTIME DESTINATION ${QB_INSTALL_GAMESDIR})
install(PROGRAMS ${QB_PACKAGE_DIR}/quellbrand-desktop DESTINATION ${QB_INSTALL_GAMESDIR})
install(FILES ${QB_PACKAGE_DIR}/quellbrand.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QB_PACKAGE_DIR}/net.quellbrand.demo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QB_PACKAGE_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(QB_PACKAGE_FILES)
foreach(size 48 256)
  set(icon ${QB_PACKAGE_OUT}/icons/${size}x${size}/quellbrand.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QB_PACKAGE_OUT}/icons/${size}x${size}
    COMMAND quellbrand-icon ${size} ${icon}
    DEPENDS quellbrand-icon VERBATIM)
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  list(APPEND QB_PACKAGE_FILES ${icon})
endforeach()
# Debian wants these compressed, reproducibly (no name, no time stamp)
foreach(doc quellbrand.6 quellbrand-desktop.6 changelog)
  add_custom_command(OUTPUT ${QB_PACKAGE_OUT}/${doc}.gz
    COMMAND sh -c "gzip -9n -c '${QB_PACKAGE_DIR}/${doc}' > '${QB_PACKAGE_OUT}/${doc}.gz'"
    DEPENDS ${QB_PACKAGE_DIR}/${doc} VERBATIM)
  list(APPEND QB_PACKAGE_FILES ${QB_PACKAGE_OUT}/${doc}.gz)
endforeach()
install(FILES ${QB_PACKAGE_OUT}/quellbrand.6.gz ${QB_PACKAGE_OUT}/quellbrand-desktop.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${QB_PACKAGE_OUT}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(package_files ALL DEPENDS ${QB_PACKAGE_FILES})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quellbrand)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessaline & Vek <demo@quellbrand.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audiovisual demo: spring and fire in the look of early cinema")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quellbrand by Tessaline & Vek plays one four-channel ProTracker song through
its own module player and software mixer, and drives three minutes of
black-and-white animation clips through a chain of picture effects: warped
texture, sprites, blur, video feedback, block glow, old-film damage and a
film strip. A galloping horse and a runner on a film strip, a spring, steam,
fire, a crystal and a turning ring, shown at 320x240 and scaled by whole
pixels to the screen.
.
Photosensitivity warning: the demo contains flashing lights and fast-moving
high-contrast patterns that may affect people with photosensitive epilepsy.")
# The source tarball (cpack --config CPackSourceConfig.cmake): the tree as it is, without build
# trees (the fuzzer's working corpus among them), installed node modules, the release set or git.
string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" QB_SOURCE_RE "${PROJECT_SOURCE_DIR}")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME quellbrand-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES "^${QB_SOURCE_RE}/\\.git/" "^${QB_SOURCE_RE}/build[^/]*/"
    "^${QB_SOURCE_RE}/dist/" "/node_modules/")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_options.cmake)
# Directories in the package are 755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
# The package made the same way whatever the caller's umask (cpack gives the files it writes the
# umask's permissions): cmake --build BUILD --target deb.
add_custom_target(deb COMMAND sh -c "umask 022 && '${CMAKE_CPACK_COMMAND}' -G DEB"
                  WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DEPENDS quellbrand package_files VERBATIM)
