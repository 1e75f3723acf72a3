# SPDX-License-Identifier: GPL-3.0-or-later
# OpenCC's traditional-to-simplified tables, TSPhrases and TSCharacters, in
# their text form, written by Debian's opencc_dict from Debian's OpenCC data
# (packages opencc and libopencc-data) into "opencc" in the program folder.
# The Windows program converts with them (text/ScriptConvert_win.cpp) and
# installs them beside itself; the Linux tests hold them against the OpenCC
# library, so that both systems make the same simplified text.
find_program(VAMO_OPENCC_DICT opencc_dict)
find_path(VAMO_OPENCC_DATA TSPhrases.ocd2 PATHS /usr/share/opencc NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VAMO_OPENCC_DICT OR NOT VAMO_OPENCC_DATA)
  message(FATAL_ERROR "OpenCC's opencc_dict and its data are needed (Debian's opencc and libopencc-data)")
endif()

set(VAMO_OPENCC_TABLES)
foreach(table TSPhrases TSCharacters)
  set(out ${VAMO_PROGRAM_DIR}/opencc/${table}.txt)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VAMO_PROGRAM_DIR}/opencc
    COMMAND ${VAMO_OPENCC_DICT} -i ${VAMO_OPENCC_DATA}/${table}.ocd2 -o ${out} -f ocd2 -t text
    DEPENDS ${VAMO_OPENCC_DATA}/${table}.ocd2
    COMMENT "OpenCC's ${table} as text"
    VERBATIM)
  list(APPEND VAMO_OPENCC_TABLES ${out})
endforeach()
add_custom_target(opencc_tables ALL DEPENDS ${VAMO_OPENCC_TABLES})
if(WIN32)
  install(FILES ${VAMO_OPENCC_TABLES} DESTINATION ${CMAKE_INSTALL_BINDIR}/opencc)
endif()
