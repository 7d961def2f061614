# Install layout and packages. The program reads its tracks from data/ under
# the working directory, so whatever starts it starts it beside data/:
#   Linux:   laid out by the FHS under the prefix: lib/marrowlake/marrowlake,
#            share/marrowlake/data/, and bin/marrowlake, a launcher that starts
#            the program from share/marrowlake/ (found relative to itself, so
#            the unpacked .tar.gz works from anywhere); plus the desktop entry,
#            icons, AppStream metadata, manual page and Debian documents.
#            CPack makes a .tar.gz and a .deb (`cmake --build <dir> --target package`).
#   Windows: marrowlake.exe (with its icon and version resources), data\ and
#            README.txt side by side; CPack makes a .zip (`cpack` in the cross
#            build folder).
# The page is put on a web host as built (scripts/build-web.sh).
if(EMSCRIPTEN)
  return()
endif()

set(ML_TRACKS "")
foreach(side A B C D)
  list(APPEND ML_TRACKS ${ML_DATA_DIR}/Track${side}.mp3)
endforeach()
set(ml_package_src ${CMAKE_SOURCE_DIR}/assets/package)
set(ml_package_out ${CMAKE_BINARY_DIR}/package-files)

if(WIN32)
  install(TARGETS marrowlake RUNTIME DESTINATION .)
  install(FILES ${ML_TRACKS} DESTINATION data)
  configure_file(${ml_package_src}/README.txt ${ml_package_out}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${ml_package_out}/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  # The cross build cannot build every target (the host-only generators), so
  # packing takes what was built: build marrowlake and ml_music first.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
  set(CPACK_SYSTEM_NAME win64)
else()
  # The desktop entry, AppStream and icon names.
  set(ML_APP_ID invalid.ondu.Marrowlake)
  configure_file(${ml_package_src}/app.desktop.in ${ml_package_out}/${ML_APP_ID}.desktop @ONLY)
  configure_file(${ml_package_src}/app.metainfo.xml.in
                 ${ml_package_out}/${ML_APP_ID}.metainfo.xml @ONLY)
  configure_file(${ml_package_src}/marrowlake.6 ${ml_package_out}/marrowlake.6 @ONLY)
  configure_file(${ml_package_src}/changelog ${ml_package_out}/changelog @ONLY)
  # Compressed as Debian policy asks, without a time stamp so equal input
  # gives equal files.
  set(ml_gzipped "")
  foreach(name marrowlake.6 changelog)
    add_custom_command(
      OUTPUT ${ml_package_out}/${name}.gz
      COMMAND sh -c "gzip -9n -c \"$1\" >\"$2\"" sh ${ml_package_out}/${name}
              ${ml_package_out}/${name}.gz
      DEPENDS ${ml_package_out}/${name}
      VERBATIM)
    list(APPEND ml_gzipped ${ml_package_out}/${name}.gz)
  endforeach()
  add_custom_target(ml_package_files ALL DEPENDS ${ml_gzipped})

  # Relocations resolved at start and then read-only, as Debian's packages are linked.
  target_link_options(marrowlake PRIVATE LINKER:-z,relro,-z,now)
  install(TARGETS marrowlake RUNTIME DESTINATION lib/marrowlake)
  install(FILES ${ML_TRACKS} DESTINATION share/marrowlake/data)
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/marrowlake-launcher.sh
          DESTINATION bin RENAME marrowlake)
  install(FILES ${ml_package_out}/${ML_APP_ID}.desktop DESTINATION share/applications)
  install(FILES ${ml_package_out}/${ML_APP_ID}.metainfo.xml DESTINATION share/metainfo)
  foreach(size 48 128 256)
    install(FILES ${ML_ICON_DIR}/marrowlake-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${ML_APP_ID}.png)
  endforeach()
  install(FILES ${ml_package_out}/marrowlake.6.gz DESTINATION share/man/man6)
  install(FILES ${ml_package_src}/copyright ${ml_package_out}/changelog.gz
          DESTINATION share/doc/marrowlake)

  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Debian's games section is for what lives in /usr/games; a music disk
  # belongs with the music players.
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  # The long description; CPack puts the summary line above it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"A window without a frame plays four music tracks, sides A to D, and shows
them with a short slideshow, a control panel with seven buttons, a scroll
text for each side and a swinging, textured 3D logo.")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
endif()

set(CPACK_PACKAGE_NAME marrowlake)
set(CPACK_PACKAGE_VENDOR Ondu)
set(CPACK_PACKAGE_CONTACT "Ondu <marrowlake@ondu.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ondu's interactive music disk: four tracks, an intro and a 3D logo")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
# Directories as Debian expects them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
