# The Windows icon and version resource of a program: vamo_windows_resource(
# TARGET DESCRIPTION). The version is the project's.
function(vamo_windows_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(VAMO_RC_NAME ${target})
  set(VAMO_RC_FILE ${target}.exe)
  set(VAMO_RC_DESCRIPTION ${description})
  set(VAMO_ICON ${PROJECT_SOURCE_DIR}/desktop/icons/vamobook.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/desktop/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
