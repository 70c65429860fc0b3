# Merges the archive tree SOURCE and the generated files of GENERATED into a
# fresh STAGE for sarc to pack. Both name a drive by a top-level folder of one
# capital letter ("D/Zoprax9/..."), which sarc packs as that drive.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY ${SOURCE}/ DESTINATION ${STAGE})
if(GENERATED AND IS_DIRECTORY ${GENERATED})
  file(COPY ${GENERATED}/ DESTINATION ${STAGE})
endif()
