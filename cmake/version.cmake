# The program's version, in one place for the native build (CMakeLists.txt)
# and the web build (web/CMakeLists.txt): each passes it to project(), so
# that PROJECT_VERSION names it in the generated header and the packages.
set(PALEOVIZ_VERSION 1.0.0)
