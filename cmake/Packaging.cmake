# Installation where the freedesktop standards expect each file, and a Debian package of it.
# Everything the program reads at run time (views, texts, symbols) is compiled into the binary.
include(GNUInstallDirs)

set(VELMORA_RELEASE_DATE 2026-12-08)
set(resources ${PROJECT_SOURCE_DIR}/resources)
set(generated ${CMAKE_BINARY_DIR}/install-files)

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# KWin shares its window list only with a program whose installed entry asks for it and names the
# program by its full path, so Exec is written at install time, under the prefix installed to.
install(CODE "
    file(READ \"${resources}/com.tarnwick.Velmora.desktop.in\" entry)
    string(REPLACE @BINDIR@ \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\" entry \"\${entry}\")
    file(WRITE \"${generated}/com.tarnwick.Velmora.desktop\" \"\${entry}\")")
install(FILES ${generated}/com.tarnwick.Velmora.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${resources}/com.tarnwick.Velmora.metainfo.xml.in
    ${generated}/com.tarnwick.Velmora.metainfo.xml @ONLY)
install(FILES ${generated}/com.tarnwick.Velmora.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${resources}/com.tarnwick.Velmora.policy
    DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)

# The exec gate: a root service started by systemd or by bus activation.
install(TARGETS velmora-gate RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR})
install(FILES ${resources}/gate/velmora-gate.service DESTINATION lib/systemd/system)
install(FILES ${resources}/gate/com.tarnwick.VelmoraGate.conf
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/system.d)
install(FILES ${resources}/gate/com.tarnwick.VelmoraGate.service
    DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/system-services)

# The icon: the drawing itself, and pixels for the sizes desktops look up first.
install(FILES ${resources}/icons/com.tarnwick.Velmora.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_pngs)
foreach(size 16 22 24 32 48 64 128 256)
    set(png ${generated}/icons/${size}x${size}/com.tarnwick.Velmora.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
            ${resources}/icons/com.tarnwick.Velmora.svg
        DEPENDS ${resources}/icons/com.tarnwick.Velmora.svg VERBATIM)
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    list(APPEND icon_pngs ${png})
endforeach()

# Debian wants manual pages and changelogs compressed, reproducibly (no name, no time).
set(manual ${generated}/velmora.1.gz)
set(changelog ${generated}/changelog.gz)
configure_file(${resources}/changelog.in ${generated}/changelog @ONLY)
add_custom_command(OUTPUT ${manual}
    COMMAND gzip -9nc ${resources}/velmora.1 > ${manual}
    DEPENDS ${resources}/velmora.1 VERBATIM)
add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9nc ${generated}/changelog > ${changelog}
    DEPENDS ${generated}/changelog VERBATIM)
add_custom_target(velmora_install_files ALL DEPENDS ${icon_pngs} ${manual} ${changelog})
install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The program's own licence; the notices of the libraries it loads ship with those libraries.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora
    RENAME copyright)
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Tarnwick)
set(CPACK_PACKAGE_CONTACT "Tarnwick <velmora@tarnwick.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make chosen applications usable only with a USB key")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tarnwick.com)
set(CPACK_STRIP_FILES ON)
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velmora lives in the system tray and makes chosen applications usable only\n"
    "while a chosen external drive is connected: a protected application started\n"
    "without its drive is stopped, and one brought to the front is covered by a\n"
    "lock card on every screen. A panic shortcut always frees the screen.")
# The shared libraries are found by dpkg-shlibdeps; what the program loads by name at run time
# (views' modules, the SVG plug-in, platform plug-ins, symbols) is listed here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtquick, qml6-module-qtquick-window, qml6-module-qtquick-controls, \
qml6-module-qtquick-templates, qml6-module-qtquick-layouts, qml6-module-qtquick-shapes, \
qml6-module-qtqml-workerscript, qml6-module-qt5compat-graphicaleffects, qt6-qpa-plugins, \
libqt6svg6, adwaita-icon-theme")
# Starts the exec gate on install, stops it on removal, and removes its state only on purge.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${resources}/debian/postinst ${resources}/debian/prerm ${resources}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, polkitd")
include(CPack)
