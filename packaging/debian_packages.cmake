# Linux: what each program installs, grouped in two Debian packages, so that the console
# renderer installs on a server without the viewer's toolkit.
#   kelvotrace  the renderer and its man page
#   pictor      the viewer, its man page, desktop entry, hicolor icons and AppStream metadata
# Each .deb carries its copyright file and Debian changelog under share/doc/<package>; those and
# lintian's overrides are Debian's own, so a plain install (or a distribution's packaging, which
# installs them itself from debian/) leaves them out: they belong to components installed only
# when asked for by name, as CPack does for each package.

# Debian wants man pages and changelogs compressed with gzip -9n (no name, no time stamp, so
# the same sources give the same bytes).
set(compressed)
foreach(file ${PROJECT_SOURCE_DIR}/debian/changelog ${CMAKE_CURRENT_SOURCE_DIR}/kelvotrace.1
             ${CMAKE_CURRENT_SOURCE_DIR}/pictor.1)
  get_filename_component(name ${file} NAME)
  add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${file} ${name}
    COMMAND gzip -9nf ${name}
    DEPENDS ${file}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  list(APPEND compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(packaging_documents ALL DEPENDS ${compressed})

# install_program(TARGET): the program, stripped of symbols and of the compiler's notes when
# installing stripped, with its man page, and for its .deb its copyright file, changelog and
# lintian's overrides (pictor's: French words that lintian reads as misspelt English).
function(install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${target})
  set(installed "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${target}")
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
                  execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                                          --remove-section=.note \"${installed}\"
                                  COMMAND_ERROR_IS_FATAL ANY)
                endif()"
          COMPONENT ${target})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${target})
  set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${target})
  install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright DESTINATION ${doc}
          COMPONENT ${target} EXCLUDE_FROM_ALL)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz RENAME changelog.Debian.gz
          DESTINATION ${doc} COMPONENT ${target} EXCLUDE_FROM_ALL)
  install(FILES ${PROJECT_SOURCE_DIR}/debian/${target}.lintian-overrides RENAME ${target}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${target} EXCLUDE_FROM_ALL)
endfunction()

install_program(kelvotrace)
set(CPACK_COMPONENTS_ALL kelvotrace)
# The viewer exists only where GTK 3 was found.
if(TARGET pictor)
  install_program(pictor)
  install(FILES pictor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT pictor)
  install(FILES org.kelvotrace.pictor.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT pictor)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES icons/${size}x${size}.png RENAME pictor.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            COMPONENT pictor)
  endforeach()
  list(APPEND CPACK_COMPONENTS_ALL pictor)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The Debian revision, as the newest entry of debian/changelog gives it (1.0.0-1).
file(STRINGS ${PROJECT_SOURCE_DIR}/debian/changelog revision REGEX "^kelvotrace " LIMIT_COUNT 1)
string(REGEX REPLACE "^kelvotrace \\([^-]*-([0-9]+)\\).*" "\\1" CPACK_DEBIAN_PACKAGE_RELEASE "${revision}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)   # Depends from the libraries each program links
set(CPACK_DEBIAN_KELVOTRACE_PACKAGE_NAME kelvotrace)
set(CPACK_DEBIAN_PICTOR_PACKAGE_NAME pictor)
set(CPACK_DEBIAN_PICTOR_PACKAGE_SUGGESTS kelvotrace)
# The first line is the summary; Debian shows the others as they stand, so they are kept short.
set(CPACK_COMPONENT_KELVOTRACE_DESCRIPTION
    "ray caster that renders six sphere scenes as PPM pictures\n"
    "kelvotrace casts one orthographic ray per pixel through six fixed scenes\n"
    "(a silhouette, a material colour, headlight shading, three spheres, a\n"
    "directional lamp, a depth buffer with Phong shading) and writes them as\n"
    "binary PPM pictures into the current directory. Every byte of every\n"
    "picture is the same on every compiler and architecture.")
set(CPACK_COMPONENT_PICTOR_DESCRIPTION
    "small viewer for binary PPM pictures\n"
    "pictor opens a binary PPM (Netpbm P6) picture, such as those kelvotrace\n"
    "renders, paints it pixel for pixel in a window and saves it again. Its\n"
    "menu is in French.")
foreach(component KELVOTRACE PICTOR)
  string(JOIN "" CPACK_COMPONENT_${component}_DESCRIPTION ${CPACK_COMPONENT_${component}_DESCRIPTION})
endforeach()
