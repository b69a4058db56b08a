# What `cmake --install` and the Debian package put where the desktop looks for them, and
# how CPack makes the package. Included last, when every program's target exists.
include(GNUInstallDirs)

# Every program built in tools/ is a command-line tool of the package, whoever added it.
get_property(coffer_tool_targets DIRECTORY ${CMAKE_SOURCE_DIR}/tools PROPERTY BUILDSYSTEM_TARGETS)
foreach(target IN LISTS coffer_tool_targets)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The launcher: Coffer started in the user's data folder on a starter ledger.
install(PROGRAMS ${CMAKE_SOURCE_DIR}/res/desktop/coffer-launch DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages, one per program in res/man, compressed as Debian wants them (no time stamp).
file(GLOB coffer_man_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/man/*.1)
set(coffer_man_gz)
foreach(page IN LISTS coffer_man_pages)
  get_filename_component(name ${page} NAME)
  set(out ${CMAKE_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                     COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${page} ${out}
                     DEPENDS ${page} VERBATIM)
  list(APPEND coffer_man_gz ${out})
endforeach()
add_custom_target(coffer_man ALL DEPENDS ${coffer_man_gz})
install(FILES ${coffer_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Desktop entry (naming the launcher by the prefix actually installed to), AppStream
# metadata and the icon in every size of the hicolor theme.
install(CODE "
  set(COFFER_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/res/desktop/coffer.desktop.in\"
                 \"${CMAKE_BINARY_DIR}/coffer.desktop\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
       TYPE FILE FILES \"${CMAKE_BINARY_DIR}/coffer.desktop\")
")
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/example.lanzhoufang.coffer.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/res/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The phone page without the desktop, as a systemd user unit.
install(FILES ${CMAKE_SOURCE_DIR}/res/package/coffer-serve.service
        DESTINATION lib/systemd/user)

# The package's copyright and change log, where Debian keeps them.
set(coffer_changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${coffer_changelog}
                   COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh
                           ${CMAKE_SOURCE_DIR}/res/package/changelog ${coffer_changelog}
                   DEPENDS ${CMAKE_SOURCE_DIR}/res/package/changelog VERBATIM)
add_custom_target(coffer_changelog ALL DEPENDS ${coffer_changelog})
install(FILES ${CMAKE_SOURCE_DIR}/res/package/copyright ${coffer_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/coffer)
# The one lintian remark that is not a fault, with its reason.
install(FILES ${CMAKE_SOURCE_DIR}/res/package/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME coffer)

# The Debian package: dependencies computed from the programs' libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME coffer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lanzhoufang <coffer@lanzhoufang.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no library reveals: a font with Chinese characters (without one every text is a row
# of boxes), Qt's own texts (standard buttons, edit menus) in Chinese, and the openssl
# command that makes the phone page's certificates.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk | fonts-arphic-uming, openssl")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "household bookkeeping
Coffer (银匣) keeps a household's daily income and expenses. Family members
log in, record income and expenses one at a time (amount, family member,
category, date and time, note), list them by day, week, month, year or
interval, narrowed by member and category, and correct or delete a listed
record. Everything is kept in one SQLite file in the user's data folder.")
include(CPack)
