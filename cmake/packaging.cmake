# Installation and Debian packages (CPack DEB), one package per program:
#
#   zek710amgrgui  the panel application and its translations in /home/zek710a/application/current
#                  (the directory the USB update and the recovery tool move versions through);
#                  its screens and images are resources inside the executable
#   linkdaemon     linkDaemon in /home/zek710/software/v-<version>, with the "current" link the
#                  daemon's own USB update re-points
#   panelrescue    panelRescue in /usr/bin: it must outlive the application versions it restores
#   zek-tools      linkctl and hcipTool in /usr/bin, for the people who run the studio, with their
#                  manual pages and bash completion
#
# and their systemd units (docs/deployment.md). Library dependencies are computed from the
# executables by dpkg-shlibdeps; the Qt Quick modules the screens import are looked up at
# configure time in the package database of the target architecture (zek_qml_module_packages).
# scripts/release.sh builds the packages for amd64, arm64 and armhf.

set(ZEK_PANEL_DIR /home/zek710a/application/current)
set(ZEK_DAEMON_BASE /home/zek710/software)
# The daemon's version directory, named after the version it prints ("023.035").
file(STRINGS ${PROJECT_SOURCE_DIR}/daemon/daemonMessages.h daemonVersionLines
     REGEX "constexpr int kDaemonM(ajor|inor) = [0-9]+;")
string(REGEX MATCH "kDaemonMajor = ([0-9]+)" _ "${daemonVersionLines}")
set(daemonMajor ${CMAKE_MATCH_1})
string(REGEX MATCH "kDaemonMinor = ([0-9]+)" _ "${daemonVersionLines}")
set(daemonMinor ${CMAKE_MATCH_1})
if(daemonMajor STREQUAL "" OR daemonMinor STREQUAL "")
  message(FATAL_ERROR "daemon version not found in daemon/daemonMessages.h")
endif()
foreach(part daemonMajor daemonMinor)
  string(LENGTH "${${part}}" length)
  while(length LESS 3)
    set(${part} "0${${part}}")
    math(EXPR length "${length} + 1")
  endwhile()
endforeach()
set(ZEK_DAEMON_VERSION_DIR ${ZEK_DAEMON_BASE}/v-${daemonMajor}.${daemonMinor})

install(TARGETS zek710amgrgui RUNTIME DESTINATION ${ZEK_PANEL_DIR} COMPONENT zek710amgrgui)
install(DIRECTORY ${ZEK_TRANSLATION_DIR}/ DESTINATION ${ZEK_PANEL_DIR} COMPONENT zek710amgrgui
        FILES_MATCHING PATTERN "app_*.qm")
install(TARGETS linkDaemon RUNTIME DESTINATION ${ZEK_DAEMON_VERSION_DIR} COMPONENT linkdaemon)
install(TARGETS panelRescue RUNTIME DESTINATION bin COMPONENT panelrescue)
install(TARGETS linkctl hcipTool RUNTIME DESTINATION bin COMPONENT zektools)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/completion/linkctl
              ${PROJECT_SOURCE_DIR}/packaging/completion/hcipTool
        DESTINATION share/bash-completion/completions COMPONENT zektools)

# Debian 12 keeps units in /lib/systemd/system (the /usr merge of packages came later).
set(unitDir /lib/systemd/system)
set(packagingDir ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packagingDir}/systemd/zek710amgrgui.service DESTINATION ${unitDir}
        COMPONENT zek710amgrgui)
install(FILES ${packagingDir}/systemd/linkDaemon.service DESTINATION ${unitDir}
        COMPONENT linkdaemon)
install(FILES ${packagingDir}/systemd/panelRescue.service DESTINATION ${unitDir}
        COMPONENT panelrescue)

# Per package: copyright, Debian changelog and manual page, as Debian's tools expect them.
set(generatedDocs ${CMAKE_BINARY_DIR}/packaging)
foreach(component zek710amgrgui linkdaemon panelrescue zektools)
  set(package ${component})
  if(component STREQUAL "zektools")
    set(package zek-tools)
  endif()
  install(FILES ${packagingDir}/copyright DESTINATION share/doc/${package} COMPONENT ${component})
  # A native package: its changelog is "changelog", not "changelog.Debian".
  set(changelog ${generatedDocs}/${package}/changelog.gz)
  configure_file(${packagingDir}/changelog.in ${generatedDocs}/${package}/changelog @ONLY)
  # gzip -n: no name or time stamp in the archive, so the package is the same on every build.
  execute_process(COMMAND gzip -9nf ${generatedDocs}/${package}/changelog)
  install(FILES ${changelog} DESTINATION share/doc/${package} COMPONENT ${component})
  # The fixed paths below /home that the update, the recovery tool and the daemon's own update
  # move versions through, accepted with their reason.
  if(EXISTS ${packagingDir}/${package}/lintian-overrides)
    install(FILES ${packagingDir}/${package}/lintian-overrides DESTINATION share/lintian/overrides
            RENAME ${package} COMPONENT ${component})
  endif()
endforeach()
foreach(page zek710amgrgui.1 linkDaemon.1 panelRescue.1 linkctl.1 hcipTool.1)
  execute_process(COMMAND gzip -9nc ${packagingDir}/man/${page}
                  OUTPUT_FILE ${generatedDocs}/${page}.gz)
endforeach()
install(FILES ${generatedDocs}/zek710amgrgui.1.gz DESTINATION share/man/man1
        COMPONENT zek710amgrgui)
install(FILES ${generatedDocs}/linkDaemon.1.gz DESTINATION share/man/man1 COMPONENT linkdaemon)
install(FILES ${generatedDocs}/panelRescue.1.gz DESTINATION share/man/man1 COMPONENT panelrescue)
install(FILES ${generatedDocs}/linkctl.1.gz ${generatedDocs}/hcipTool.1.gz DESTINATION share/man/man1
        COMPONENT zektools)

# The Debian packages that hold the Qt Quick modules a program's documents import, from the
# package database of the target architecture: import "QtQuick.Controls" is the module
# directory QtQuick/Controls.2 (or QtQuick/Controls) below Qt's QML folder.
function(zek_qml_module_packages outVar)
  set(imports)
  foreach(document IN LISTS ARGN)
    file(STRINGS ${document} lines REGEX "^import [A-Za-z]")
    foreach(line IN LISTS lines)
      if(line MATCHES "^import ([A-Za-z.]+) ([0-9]+)")
        list(APPEND imports "${CMAKE_MATCH_1}@${CMAKE_MATCH_2}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES imports)
  set(qmlRoot /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/qt5/qml)
  set(packages)
  foreach(import IN LISTS imports)
    string(REPLACE "@" ";" parts "${import}")
    list(GET parts 0 module)
    list(GET parts 1 major)
    string(REPLACE "." "/" modulePath "${module}")
    set(owner "")
    foreach(candidate "${modulePath}.${major}" "${modulePath}")
      if(owner STREQUAL "" AND EXISTS ${qmlRoot}/${candidate}/qmldir)
        execute_process(COMMAND dpkg-query -S ${qmlRoot}/${candidate}/qmldir
                        OUTPUT_VARIABLE owner OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
          set(owner "")
        endif()
      endif()
    endforeach()
    if(owner STREQUAL "")
      message(WARNING "no installed package holds the QML module ${module} ${major} for "
                      "${CMAKE_LIBRARY_ARCHITECTURE}: the package will not depend on it")
      continue()
    endif()
    # "qml-module-qtquick2:arm64: /usr/lib/..." -> qml-module-qtquick2
    string(REGEX REPLACE "[:].*" "" owner "${owner}")
    list(APPEND packages ${owner})
  endforeach()
  list(REMOVE_DUPLICATES packages)
  list(SORT packages)
  string(REPLACE ";" ", " packages "${packages}")
  set(${outVar} "${packages}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE panelDocuments ${PROJECT_SOURCE_DIR}/ui/*.qml)
list(FILTER panelDocuments EXCLUDE REGEX "/ui/(tools|images)/")
zek_qml_module_packages(panelQmlPackages ${panelDocuments})
file(GLOB rescueDocuments ${PROJECT_SOURCE_DIR}/rescue/*.qml)
zek_qml_module_packages(rescueQmlPackages ${rescueDocuments})

# The Debian architecture of the packages: the target's, by the cross compiler's triplet.
execute_process(COMMAND dpkg-architecture -qDEB_HOST_ARCH -t ${CMAKE_LIBRARY_ARCHITECTURE}
                OUTPUT_VARIABLE debianArchitecture OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR debianArchitecture STREQUAL "")
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE debianArchitecture
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zek710a)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "ZEK-710A software team <zek710a@velmora.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL zek710amgrgui linkdaemon panelrescue zektools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${debianArchitecture})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Maintainer scripts 0755, control files 0644, whatever the checkout's modes.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_ZEK710AMGRGUI_PACKAGE_NAME zek710amgrgui)
set(CPACK_DEBIAN_ZEK710AMGRGUI_DESCRIPTION
    "ZEK-710A panel application
The touch-screen application of the ZEK-710A camera control panel: its keys,
joystick, T-bar and rotary encoder drive PTZ cameras on RS-422 lines and on
the network, and the video switcher's cuts light the cameras' tally lamps.")
# The screens' Qt Quick modules, the tools the application runs: sudo (mounts), unzip (USB
# update), i2c-tools (the function keys' lamps), and the fonts the screens are drawn in: Carlito
# in place of the "Calibri" they ask for (same widths, which the text-fit test measured) and a
# CJK font for the Chinese translations.
set(CPACK_DEBIAN_ZEK710AMGRGUI_PACKAGE_DEPENDS
    "${panelQmlPackages}, sudo, unzip, i2c-tools, fonts-crosextra-carlito, fonts-wqy-microhei")
set(CPACK_DEBIAN_ZEK710AMGRGUI_PACKAGE_RECOMMENDS "panelrescue")
set(CPACK_DEBIAN_ZEK710AMGRGUI_PACKAGE_CONTROL_EXTRA
    ${packagingDir}/zek710amgrgui/postinst ${packagingDir}/zek710amgrgui/prerm
    ${packagingDir}/zek710amgrgui/postrm)

set(CPACK_DEBIAN_LINKDAEMON_PACKAGE_NAME linkdaemon)
set(CPACK_DEBIAN_LINKDAEMON_DESCRIPTION
    "ZEK-710 link daemon
Headless daemon of the older ZEK-710 panel: it lends the panel's keys,
joystick and T-bar to network clients over TCP and updates itself and the
panel's MCU from a USB stick.")
# The daemon's scripts name its version directory.
foreach(script postinst postrm)
  configure_file(${packagingDir}/linkdaemon/${script}.in ${generatedDocs}/linkdaemon/${script}
                 @ONLY)
endforeach()
set(CPACK_DEBIAN_LINKDAEMON_PACKAGE_CONTROL_EXTRA
    ${generatedDocs}/linkdaemon/postinst ${packagingDir}/linkdaemon/prerm
    ${generatedDocs}/linkdaemon/postrm)

set(CPACK_DEBIAN_PANELRESCUE_PACKAGE_NAME panelrescue)
set(CPACK_DEBIAN_PANELRESCUE_DESCRIPTION
    "ZEK-710A recovery tool
For a few seconds at start-up, before the panel application, it offers to put
the previous version of the panel application back with a key chord on the
panel.")
set(CPACK_DEBIAN_PANELRESCUE_PACKAGE_DEPENDS "${rescueQmlPackages}, sudo")
set(CPACK_DEBIAN_PANELRESCUE_PACKAGE_CONTROL_EXTRA
    ${packagingDir}/panelrescue/postinst ${packagingDir}/panelrescue/prerm
    ${packagingDir}/panelrescue/postrm)

set(CPACK_DEBIAN_ZEKTOOLS_PACKAGE_NAME zek-tools)
set(CPACK_DEBIAN_ZEKTOOLS_PACKAGE_SECTION net)
set(CPACK_DEBIAN_ZEKTOOLS_DESCRIPTION
    "ZEK-710A studio tools
linkctl, a client of the ZEK-710 link daemon: bookings, the live panel state,
LEDs, the T-bar calibration and the MCU upgrade with its progress; and
hcipTool, which finds ZEK panels, cameras and switchers on the network and
sets up their addresses, DHCP mode, host names and MAC addresses.")
set(CPACK_DEBIAN_ZEKTOOLS_PACKAGE_RECOMMENDS "bash-completion")

include(CPack)
