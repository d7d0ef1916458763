# The release: a ZIP per architecture (win64, win32) with launcher.exe, the explain tool when it is
# built, and the user guide.
install(TARGETS launcher RUNTIME DESTINATION .)

# The guide in Windows line ends, readable in any editor a kit author's machine has.
file(READ ${PROJECT_SOURCE_DIR}/docs/user-guide.md guide)
string(REPLACE "\n" "\r\n" guide "${guide}")
file(WRITE ${PROJECT_BINARY_DIR}/user-guide.txt "${guide}")
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/docs/user-guide.md)
install(FILES ${PROJECT_BINARY_DIR}/user-guide.txt DESTINATION .)

# The explain tool's directory may come later than this file; its rule is made once all are read.
function(launcher_install_explain)
  if(TARGET launcher-explain)
    install(TARGETS launcher-explain RUNTIME DESTINATION .)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL launcher_install_explain)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME launcher)
set(CPACK_PACKAGE_FILE_NAME launcher-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES OFF) # launcher.exe is linked stripped
include(CPack)
