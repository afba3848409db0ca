# The README names the packages by the build's version:
#   cmake -DREADME=README.md -DVERSION=1.2.3 -P readme_names_the_version.cmake
file(READ ${README} readme)
foreach(name IN ITEMS velloran_${VERSION}_amd64.deb velloran-${VERSION}-win32.zip
                      velloran-${VERSION}-win32-setup.exe)
  string(FIND "${readme}" "${name}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${README} does not name ${name}: the version changed?")
  endif()
endforeach()
