# Installation and the Debian package.
#
#   cmake --install build --prefix /usr           (or DESTDIR=... for staging)
#   cd build && cpack -G DEB                       -> kbxt_<version>_amd64.deb
#
# Layout: the programs in bin/, the delivered files in share/kbxt/ (the program
# looks for them at <exe>/../share/kbxt, the same layout as the build tree), the
# menu entry in share/applications/ and the icon in share/icons/hicolor/.

include(GNUInstallDirs)

install(TARGETS kbxt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kbxt-cli)
    install(TARGETS kbxt-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # kbxt-cli print --pdf hands the drawing to this GUI-linked helper beside it.
    if(TARGET kbxt-print)
        install(TARGETS kbxt-print RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endif()

# Exactly the files the build delivers to share/kbxt (the made kb.db and the
# copies of resources/), each in its own sub-folder; nothing stale that may
# linger in the build folder.
foreach(out IN LISTS KBXT_SHARE_OUTPUTS)
    file(RELATIVE_PATH rel ${KBXT_SHARE_DIR} ${out})
    get_filename_component(sub ${rel} DIRECTORY)
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/kbxt/${sub})
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/kbxt.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/packaging/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# --- Debian package --------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kbxt)
set(CPACK_PACKAGE_VENDOR "kbxt developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "kbxt developers <maintainers@kbxt.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(KBXT_WEBSITE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KBXT_WEBSITE}")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries (Qt, libxlsxwriter, SQLite ...) are found by dpkg-shlibdeps;
# the fonts are not linked but without a CJK font every caption shows boxes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs (files, printing, preview) read Chinese only with Qt's
# translations, which are not linked either.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-arphic-uming, qt6-translations-l10n")
# The manual and the web page are opened through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# The synopsis line is the project's description; this is the long text.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Builds the weekly timetable of a primary school (grades 学前 and 一 to 六).
The administrator enters classes, courses, teachers, the teaching plan and
the time limits of courses; the program places every planned lesson into
five days of 6 or 7 lessons, keeping the lessons fixed beforehand. The
timetable is then adjusted by hand, printed or exported to .xlsx workbooks
per class, per teacher and for the whole school.
.
小学排课软件：录入班级、课程、老师、教学计划和课程上课时间限制后，自动编排
每周课表（保留预先安排的固定课程），可手工调课、删课和补排，按班级、按老师
打印或导出课表及全校总表，学年结束时全校升级。数据保存在一个 SQLite 文件中。")

include(CPack)
