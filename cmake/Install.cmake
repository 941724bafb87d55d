# What `cmake --install` (and so the Debian package) puts where: the
# programs with their manual pages, the window's desktop entry and icons, the
# udev rule for USB adapters and the documentation.  Included at the end of
# the top-level CMakeLists.txt, once every program's target is defined.
include(GNUInstallDirs)
set(TESSARO_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/tessaro)

# The programs, one line each.  Each must have docs/man/<program>.1; a program
# whose target is not built in this configuration (the window without Qt) is
# left out together with its page.
set(TESSARO_PROGRAMS
  tessaro
  tessaro-basesim
  tessaro-linktest
  tessaro-replay
)

set(install_outputs "")

# Manual pages, compressed as Debian wants them.
find_program(TESSARO_GZIP gzip REQUIRED)
foreach(program ${TESSARO_PROGRAMS})
  if(NOT TARGET ${program})
    continue()
  endif()
  set(page ${PROJECT_SOURCE_DIR}/docs/man/${program}.1)
  if(NOT EXISTS ${page})
    message(FATAL_ERROR "${program} has no manual page: write docs/man/${program}.1")
  endif()
  set(gz ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${TESSARO_GZIP} -9nc ${page} > ${gz}
    DEPENDS ${page} VERBATIM)
  list(APPEND install_outputs ${gz})
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The window's menu entry and its icon in the hicolor sizes, scaled pixel for
# pixel from the drawn 16 and 32 pixel icons (48 is the 16 pixel one tripled).
if(TARGET tessaro)
  find_program(TESSARO_CONVERT NAMES convert-im6.q16 convert REQUIRED)
  foreach(size_source 16:rf16:100 32:rf32:100 48:rf16:300 64:rf32:200 128:rf32:400 256:rf32:800)
    string(REPLACE ":" ";" parts ${size_source})
    list(GET parts 0 size)
    list(GET parts 1 source)
    list(GET parts 2 percent)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/tessaro.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${TESSARO_CONVERT} ${PROJECT_SOURCE_DIR}/resources/${source}.xpm
              -scale ${percent}% -strip -define png:exclude-chunks=date,time PNG32:${png}
      DEPENDS ${PROJECT_SOURCE_DIR}/resources/${source}.xpm VERBATIM)
    list(APPEND install_outputs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/resources/tessaro.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

# Everything that `cmake --install` takes, built alone by scripts/package-deb.sh.
add_custom_target(tessaro_installed ALL DEPENDS ${install_outputs})
foreach(program ${TESSARO_PROGRAMS})
  if(TARGET ${program})
    add_dependencies(tessaro_installed ${program})
  endif()
endforeach()

# FTDI adapters' latency timer down to 1 ms (docs/serial-ports.md).
install(FILES ${PROJECT_SOURCE_DIR}/resources/udev/99-tessaro-ftdi-latency.rules
        DESTINATION lib/udev/rules.d)

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TESSARO_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${TESSARO_DOCDIR}/docs
        PATTERN man EXCLUDE)
