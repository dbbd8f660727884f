# Installation and the Debian package. `cmake --install` puts the programs, the desktop entry
# and icons, the AppStream metadata, the manual pages, copies of the shipped layouts and the
# nightly sync service in place; `cpack -G DEB` packs the same files into
# tqtool_VERSION_ARCH.deb (scripts/package.sh configures with the prefix /usr and runs it).
# Nothing here adds a build step: the PNG icon is committed, rendered from the SVG.
include(GNUInstallDirs)

set(TQ_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
# The reverse-DNS name of the desktop entry, the icon and the AppStream component.
set(TQ_APP_ID th.co.tqtool.tqtool)

install(TARGETS tqtool tqtool-cli tq90-sim qor-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${TQ_PACKAGING_DIR}/${TQ_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TQ_PACKAGING_DIR}/${TQ_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TQ_PACKAGING_DIR}/icons/${TQ_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${TQ_PACKAGING_DIR}/icons/48x48/${TQ_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)

# The programs carry the layouts compiled in and install them into a new ExportFormat folder;
# these copies let an administrator restore one that was changed or deleted.
install(FILES ${PROJECT_SOURCE_DIR}/resources/layouts/Default.ini ${PROJECT_SOURCE_DIR}/resources/layouts/TA_format.ini
    DESTINATION ${CMAKE_INSTALL_DATADIR}/tqtool/layouts)

# The manual pages and the changelog, compressed as Debian keeps them (gzip without name or time
# stamp, so that the package is the same from build to build).
function(tq_install_gzipped source destination)
    get_filename_component(name ${source} NAME)
    install(CODE "
        set(tq_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}\")
        file(MAKE_DIRECTORY \"\${tq_dir}\")
        message(STATUS \"Installing: \${tq_dir}/${name}.gz\")
        execute_process(COMMAND gzip -9 -n -c \"${source}\"
            OUTPUT_FILE \"\${tq_dir}/${name}.gz\" RESULT_VARIABLE tq_gzip_result)
        if(NOT tq_gzip_result EQUAL 0)
            message(FATAL_ERROR \"gzip failed on ${source}: \${tq_gzip_result}\")
        endif()
    ")
endfunction()
foreach(page tqtool.1 tqtool-cli.1 tq90-sim.1 qor-sim.1)
    tq_install_gzipped(${TQ_PACKAGING_DIR}/man/${page} ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
tq_install_gzipped(${TQ_PACKAGING_DIR}/debian/changelog ${CMAKE_INSTALL_DATADIR}/doc/tqtool)

# The nightly sync: the service and its timer, the account it runs as, and its settings file.
# Units and sysusers.d entries belong under the prefix's lib/ (/usr/lib/systemd/system for the
# package), whatever the architecture's library folder is.
install(FILES ${TQ_PACKAGING_DIR}/systemd/tqtool-sync.service ${TQ_PACKAGING_DIR}/systemd/tqtool-sync.timer
    DESTINATION lib/systemd/system)
install(FILES ${TQ_PACKAGING_DIR}/systemd/tqtool.sysusers DESTINATION lib/sysusers.d RENAME tqtool.conf)
install(FILES ${TQ_PACKAGING_DIR}/default/tqtool-sync DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/default)
# Where the administrator writes the terminals file and the time-attendance connection settings.
install(DIRECTORY DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/tqtool)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tqtool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "TQ & QOR Tool")
set(CPACK_PACKAGE_CONTACT "TQ & QOR Tool developers <packaging@tqtool.co.th>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "collect and export punches of fingerprint time-attendance terminals")
# Wrapped as the package's control file wants it, below 80 columns.
set(CPACK_PACKAGE_DESCRIPTION [[
TQ & QOR Tool is the operator's program for networked fingerprint
time-attendance terminals (TQ80 and TQ90) and the QOR access-control server.
It downloads the punches from a terminal into a local database, enrols users
and their fingerprints, and exports attendance data to text files or into the
database of the time-attendance program.

The package holds the desktop program tqtool, the command-line program
tqtool-cli, the nightly synchronisation service tqtool-sync (a systemd
service and timer, not enabled on installation), and the simulators tq90-sim
and qor-sim for trying the program without a terminal or an access-control
server.]])
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link (Qt, SQLite, the C++ runtime) come from dpkg-shlibdeps;
# the Qt SQL drivers are plugins it cannot see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-odbc")
# The ODBC tools and the drivers for SQL Server (FreeTDS) and PostgreSQL, and Thai fonts for the
# windows' Thai labels.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "unixodbc, tdsodbc, odbc-postgresql, fonts-thai-tlwg")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${TQ_PACKAGING_DIR}/debian/postinst ${TQ_PACKAGING_DIR}/debian/prerm ${TQ_PACKAGING_DIR}/debian/postrm
    ${TQ_PACKAGING_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
