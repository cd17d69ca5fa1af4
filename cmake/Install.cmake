# Installation: one programs' folder, <prefix>/bin, as the build tree's bin/.
# It holds the three programs, the settings file Tavrel.Ini, the hot-key file
# Key.Ini, Data/ with the sample test and NOTE/ for the notes. The programs
# find all of it beside themselves and write their logs and results there, so
# the folder must be writable by the candidate's account. A desktop entry for
# the test program goes to <prefix>/share/applications.
set(PROGRAMS_DIR bin)

# The programs built for installing: without the scripted user and the test
# switches that the build tree's programs carry (apps/CMakeLists.txt).
foreach(program Tavrel score Tallisk)
  install(TARGETS ${program}_installed RUNTIME DESTINATION ${PROGRAMS_DIR})
endforeach()

# What ships beside the programs: everything under data/ but its CMakeLists.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${PROGRAMS_DIR}
        PATTERN CMakeLists.txt EXCLUDE)
install(DIRECTORY DESTINATION ${PROGRAMS_DIR}/NOTE)

# The entry names the program by its absolute path, so it is written at
# install time, when the prefix (also one given by --prefix) is known.
install(CODE "set(programs_dir \"${PROGRAMS_DIR}\")")
install(CODE [[
  set(programs "${CMAKE_INSTALL_PREFIX}/${programs_dir}")
  set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/Tavrel.desktop")
  message(STATUS "Installing: ${entry}")
  file(WRITE "${entry}"
"[Desktop Entry]
Type=Application
Version=1.0
Name=Tavrel
Name[zh_TW]=聽打測驗系統
GenericName=Listening-and-typing test
GenericName[zh_TW]=聽打測驗
Comment=Timed listening-and-typing test of Traditional Chinese text
Comment[zh_TW]=限時的中文聽打測驗:聽錄音,打出聽到的文字
Exec=\"${programs}/Tavrel\"
Path=${programs}
Terminal=false
Categories=Education;
")
]])
