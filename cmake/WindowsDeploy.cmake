# What `cmake --install` puts beside the Windows programs so that they run
# from their folder on a machine without any of the libraries: every DLL
# they load (found by reading the programs' imports), Qt's plugins for the
# Windows platform, the Vista style, GIF and ICO pictures and TLS, and Qt's
# Chinese texts (cmake/Packaging.cmake).

set(VAMO_QT_PLUGINS
  Qt6::QWindowsIntegrationPlugin platforms
  Qt6::QWindowsVistaStylePlugin styles
  Qt6::QGifPlugin imageformats
  Qt6::QICOPlugin imageformats
  Qt6::QSchannelBackendPlugin tls
  Qt6::QTlsBackendCertOnlyPlugin tls)

set(VAMO_PLUGIN_FILES)
set(VAMO_PLUGIN_DIRS)
while(VAMO_QT_PLUGINS)
  list(POP_FRONT VAMO_QT_PLUGINS plugin folder)
  if(NOT TARGET ${plugin})
    message(WARNING "Qt plugin ${plugin} not found: left out of the install")
    continue()
  endif()
  install(FILES $<TARGET_FILE:${plugin}> DESTINATION ${CMAKE_INSTALL_BINDIR}/${folder})
  list(APPEND VAMO_PLUGIN_FILES $<TARGET_FILE:${plugin}>)
endwhile()

# Where the DLLs are looked for: the bin folders of the library prefixes
# and the compiler's runtime. When cross-building on Linux, Wine's own
# system DLLs are found too, so that they can be told apart and left out.
set(VAMO_DLL_DIRS)
foreach(root IN LISTS CMAKE_FIND_ROOT_PATH CMAKE_PREFIX_PATH)
  list(APPEND VAMO_DLL_DIRS ${root}/bin ${root}/lib)
endforeach()
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(compiler_runtime ${libstdcxx} DIRECTORY)
list(APPEND VAMO_DLL_DIRS ${compiler_runtime})
get_filename_component(compiler_bin ${CMAKE_CXX_COMPILER} DIRECTORY)
list(APPEND VAMO_DLL_DIRS ${compiler_bin})
set(VAMO_SYSTEM_DLL_DIRS)
if(CMAKE_HOST_UNIX)
  foreach(dir /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows)
    if(IS_DIRECTORY ${dir})
      list(APPEND VAMO_SYSTEM_DLL_DIRS ${dir})
    endif()
  endforeach()
endif()

# Windows names are compared without regard to case, and a program may
# import QT6CORE.dll from Qt6Core.dll. Built on a case-sensitive system,
# the DLLs are looked up through an index of lower-case links to them.
if(CMAKE_HOST_UNIX)
  set(index ${CMAKE_BINARY_DIR}/dll-index)
  file(REMOVE_RECURSE ${index})
  file(MAKE_DIRECTORY ${index})
  foreach(dir IN LISTS VAMO_DLL_DIRS)
    file(GLOB dlls ${dir}/*.dll ${dir}/*.DLL)
    foreach(dll IN LISTS dlls)
      get_filename_component(name ${dll} NAME)
      string(TOLOWER ${name} name)
      if(NOT EXISTS ${index}/${name})
        file(CREATE_LINK ${dll} ${index}/${name} SYMBOLIC)
      endif()
    endforeach()
  endforeach()
  set(VAMO_DLL_DIRS ${index})
endif()

if(NOT CMAKE_OBJDUMP)
  message(FATAL_ERROR "objdump is needed to find the programs' DLLs")
endif()

install(CODE "
  set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
  set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
  set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND \"${CMAKE_OBJDUMP}\")
  file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES \"$<TARGET_FILE:vamobook>\" \"$<TARGET_FILE:vamobook-cli>\"
    MODULES ${VAMO_PLUGIN_FILES}
    RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved
    DIRECTORIES ${VAMO_DLL_DIRS} ${VAMO_SYSTEM_DLL_DIRS}
    PRE_EXCLUDE_REGEXES \"^api-ms-\" \"^ext-ms-\"
    POST_EXCLUDE_REGEXES \"[/\\\\\\\\][Ss]ystem32[/\\\\\\\\]\" \"/wine/\")
  set(system)
  foreach(dll IN LISTS unresolved)
    if(NOT dll MATCHES \"^(api-ms-|ext-ms-)\")
      list(APPEND system \${dll})
    endif()
  endforeach()
  if(system AND NOT \"${VAMO_SYSTEM_DLL_DIRS}\" STREQUAL \"\")
    message(FATAL_ERROR \"DLLs not found anywhere: \${system}\")
  endif()
  set(files)
  foreach(dll IN LISTS resolved)
    file(REAL_PATH \${dll} real)
    list(APPEND files \${real})
  endforeach()
  file(INSTALL \${files} DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
")
