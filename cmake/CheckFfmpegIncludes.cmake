# Fails when FFmpeg reaches past the media library: only src/media's sources and its private
# headers may include FFmpeg headers or the private headers; its public headers may not.
# usage: cmake -DROOT=<source dir> -P CheckFfmpegIncludes.cmake

set(ffmpeg_include "#[ \t]*include[ \t]*[<\"](libavcodec|libavformat|libavutil|libavfilter|libavdevice|libswscale|libswresample|libpostproc)/")
file(GLOB private_headers RELATIVE ${ROOT}/src/media/private ${ROOT}/src/media/private/*.h)
list(JOIN private_headers "|" private_names)
string(REPLACE "." "\\." private_names "${private_names}")
set(private_include "#[ \t]*include[ \t]*[<\"]([^\">]*/)?(${private_names})[\">]")

file(GLOB_RECURSE candidates ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp
     ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp ${ROOT}/bench/*.h ${ROOT}/bench/*.cpp ${ROOT}/fuzz/*.h ${ROOT}/fuzz/*.cpp)
set(offenders "")
foreach(file ${candidates})
  file(RELATIVE_PATH relative ${ROOT} ${file})
  if(relative MATCHES "^src/media/private/" OR relative MATCHES "^src/media/[^/]+\\.cpp$")
    continue()
  endif()
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(line MATCHES "${ffmpeg_include}" OR (private_names AND line MATCHES "${private_include}"))
      list(APPEND offenders "${relative}: ${line}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "FFmpeg headers are for src/media's own sources only:\n  ${text}")
endif()
