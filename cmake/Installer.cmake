# The Windows installer and the plain zip, from the 32-bit build:
# `cmake --build --preset mingw-i686 --target installer` leaves
# build/mingw-i686/nubotest-<version>-setup.exe (NSIS, packaging/windows) and
# nubotest-<version>-win32.zip (a folder nubotest with the program and its
# data files, for those who only unpack).
find_program(MAKENSIS makensis)
set(stage ${PROJECT_BINARY_DIR}/installer/nubotest)
set(setup ${PROJECT_BINARY_DIR}/nubotest-${PROJECT_VERSION}-setup.exe)
set(zip ${PROJECT_BINARY_DIR}/nubotest-${PROJECT_VERSION}-win32.zip)
set(nsi ${PROJECT_SOURCE_DIR}/packaging/windows/nubotest.nsi)
set(icon ${PROJECT_SOURCE_DIR}/res/win32/nubotest.ico)
set(data ${PROJECT_SOURCE_DIR}/res/data/nubotest.ini ${PROJECT_SOURCE_DIR}/res/data/nubotest.dat
         ${PROJECT_SOURCE_DIR}/res/data/nubotest.HLP)
# Decided here, not in a generator expression: a false one would still pass
# makensis an empty argument, which it takes for the script's name.
set(nsis_werror)
if(NUBOTEST_WERROR)
  set(nsis_werror -WX)
endif()

if(MAKENSIS)
  add_custom_command(OUTPUT ${setup} ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:nubotest> ${data} ${stage}
    COMMAND ${MAKENSIS} -V2 ${nsis_werror} -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DICON=${icon}
            -DOUTFILE=${setup} ${nsi}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage}/.. ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip nubotest
    DEPENDS nubotest ${nsi} ${icon} ${data}
    VERBATIM)
  add_custom_target(installer DEPENDS ${setup} ${zip})
else()
  add_custom_target(installer
    COMMAND ${CMAKE_COMMAND} -E echo "makensis not found: install the package nsis"
    COMMAND ${CMAKE_COMMAND} -E false)
endif()
