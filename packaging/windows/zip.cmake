# Writes the Windows package (packaging/windows/CMakeLists.txt): the programs
# without their symbol tables, the texts in UTF-8 with a byte order mark (which
# Windows' Notepad reads as UTF-8 from XP on) and CR LF line ends, the demo
# files as they are, in one folder, zipped.
#   cmake -DPACKAGE=name -DZIP=file.zip -DSTAGE=dir -DPROGRAMS=... -DTEXTS=... -DDEMO=... -DSTRIP=strip -P zip.cmake
set(folder ${STAGE}/${PACKAGE})
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${folder}/demo)
foreach(program IN LISTS PROGRAMS)
  get_filename_component(name ${program} NAME)
  execute_process(COMMAND ${STRIP} -o ${folder}/${name} ${program} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not strip ${program}")
  endif()
endforeach()
file(COPY ${DEMO} DESTINATION ${folder}/demo)
string(ASCII 239 187 191 bom)
foreach(text IN LISTS TEXTS)
  file(READ ${text} content)
  string(REPLACE "\n" "\r\n" content "${content}")
  get_filename_component(name ${text} NAME)
  file(WRITE ${folder}/${name} "${bom}${content}")
endforeach()
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip -- ${PACKAGE}
  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
