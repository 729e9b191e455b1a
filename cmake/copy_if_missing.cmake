# cmake -DSOURCE=file -DTARGET=file -P copy_if_missing.cmake
# Copies SOURCE to TARGET only when TARGET does not exist yet: a settings file
# the user has changed is never replaced by a build.
if(NOT EXISTS "${TARGET}")
  get_filename_component(folder "${TARGET}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
