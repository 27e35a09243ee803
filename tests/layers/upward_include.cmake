# Copies the layered folders, checks the copy passes, then adds an include of
# the shell to the character core and checks that the copy now fails; the
# same for a floor of the rules including GL's or OpenAL's header.
file(REMOVE_RECURSE ${WORK})
foreach(folder characters audio match scene players replay net server)
  if(EXISTS ${ROOT}/${folder})
    file(COPY ${ROOT}/${folder} DESTINATION ${WORK})
  endif()
endforeach()
set(check ${ROOT}/tools/check_layers.cmake)

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${check} RESULT_VARIABLE clean OUTPUT_QUIET ERROR_QUIET)
if(NOT clean EQUAL 0)
  message(FATAL_ERROR "the tree as it is fails the floor check")
endif()

# The server stands on net/ alone: neither may reach the other way, nor it into the game.
foreach(case "characters/core/frame.h:\"shell/game.h\"" "match/match.h:\"scene/hud.h\""
    "characters/darth.h:\"match/match.h\"" "characters/darth.cpp:<GL/gl.h>" "match/bout.cpp:<GL/glu.h>"
    "net/session.cpp:<AL/al.h>" "players/controls.cpp:<GL/freeglut.h>" "net/meeting.h:\"server/rooms.h\""
    "server/rooms.h:\"match/match.h\"" "server/server.cpp:<GL/gl.h>")
  string(REPLACE ":" ";" parts ${case})
  list(GET parts 0 file)
  list(GET parts 1 header)
  file(READ ${WORK}/${file} original)
  file(WRITE ${WORK}/${file} "#include ${header}\n${original}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${check} RESULT_VARIABLE upward OUTPUT_QUIET ERROR_VARIABLE message)
  if(upward EQUAL 0)
    message(FATAL_ERROR "${file} including ${header} passed the floor check")
  endif()
  # CMake folds long messages, so the words may stand on two lines.
  if(NOT message MATCHES "reaches[ \t\r\n]+up")
    message(FATAL_ERROR "the floor check failed without naming the include: ${message}")
  endif()
  file(WRITE ${WORK}/${file} "${original}")
endforeach()
