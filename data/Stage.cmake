# Copies the archive tree SOURCE into a fresh STAGE, turning each top-level
# folder named by one capital letter into that drive ("D" -> "D:"), then adds
# the generated files of GENERATED, which already stand under their entry names.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(GLOB top RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(name ${top})
  if(IS_DIRECTORY ${SOURCE}/${name} AND name MATCHES "^[A-Z]$")
    file(COPY ${SOURCE}/${name}/ DESTINATION "${STAGE}/${name}:")
  else()
    file(COPY ${SOURCE}/${name} DESTINATION ${STAGE})
  endif()
endforeach()
if(GENERATED AND IS_DIRECTORY ${GENERATED})
  file(COPY ${GENERATED}/ DESTINATION ${STAGE})
endif()
