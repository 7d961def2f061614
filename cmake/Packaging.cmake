# Install layout and packages. The program reads its tracks from data/ under
# the working directory, so program and data/ stay together:
#   Linux:   lib/marrowlake/{marrowlake,data/} plus bin/marrowlake, a launcher
#            that starts the program from its own folder; CPack makes a .tar.gz
#            and a .deb (`cmake --build <dir> --target package`).
#   Windows: marrowlake.exe and data\ side by side; CPack makes a .zip
#            (`cpack` in the cross build folder).
set(ML_TRACKS "")
foreach(side A B C D)
  list(APPEND ML_TRACKS ${ML_DATA_DIR}/Track${side}.mp3)
endforeach()

if(WIN32)
  install(TARGETS marrowlake RUNTIME DESTINATION .)
  install(FILES ${ML_TRACKS} DESTINATION data)
  set(CPACK_GENERATOR ZIP)
  # The cross build cannot build every target (the host-only generators), so
  # packing takes what was built: build marrowlake and ml_music first.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
  set(CPACK_SYSTEM_NAME win64)
else()
  install(TARGETS marrowlake RUNTIME DESTINATION lib/marrowlake)
  install(FILES ${ML_TRACKS} DESTINATION lib/marrowlake/data)
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/marrowlake-launcher.sh
          DESTINATION bin RENAME marrowlake)
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl2-2.0-0, libmpg123-0, libpng16-16, libglu1-mesa, libgl1, libstdc++6, libc6")
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
endif()

set(CPACK_PACKAGE_NAME marrowlake)
set(CPACK_PACKAGE_VENDOR Ondu)
set(CPACK_PACKAGE_CONTACT "Ondu <marrowlake@ondu.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ondu's interactive music disk: four tracks, an intro and a 3D logo")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
include(CPack)
